#!/usr/bin/env bash
# scripts/check-layers against trees made for the purpose: a small tree of
# two rooms, clean and then with one forbidden use planted at a time, and a
# copy of the project's own sources with a forbidden include planted.
#   check-layers-test.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
check=$source_dir/scripts/check-layers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect NAME TREE STATUS [LINE...]: the check's exit status and that every
# LINE is one whole line of its output.
expect() {
  local name=$1 tree=$2 status=$3 output rc=0
  shift 3
  output=$("$check" --root "$tree" 2>&1) || rc=$?
  [[ $rc == "$status" ]] || fail "$name: exit $rc, expected $status; output:"$'\n'"$output"
  local line
  for line in "$@"; do
    grep -qxF -- "$line" <<<"$output" || fail "$name: no line \"$line\" in:"$'\n'"$output"
  done
}

# The small tree: high/ may use low/, low/ nothing; high/ may not name Secret.
small=$work/small
make_small() {
  rm -rf "$small"
  mkdir -p "$small/low/include" "$small/high/include"
  cat >"$small/ARCHITECTURE.md" <<'DOC'
| room | may use |
|---|---|
| `low/` | — |
| `high/` | `low/` |

| room | may not name |
|---|---|
| `high/` | `Secret` |
DOC
  cat >"$small/CMakeLists.txt" <<'CMAKE'
add_subdirectory(low)
add_subdirectory(high)
CMAKE
  cat >"$small/low/CMakeLists.txt" <<'CMAKE'
add_library(low STATIC Low.cpp)
target_include_directories(low PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
CMAKE
  cat >"$small/high/CMakeLists.txt" <<'CMAKE'
add_library(high STATIC High.cpp)
target_include_directories(high PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_link_libraries(high PUBLIC low)
CMAKE
  # The same name in both rooms: only the include directories tell which.
  printf '// low\n' >"$small/low/include/Same.h"
  printf '// high\n' >"$small/high/include/Same.h"
  printf '// a secret of low\nstruct Secret {};\n' >"$small/low/include/Low.h"
  printf '#include "low/include/Low.h"\n#include "low/include/Same.h"\n' >"$small/low/Low.cpp"
  printf '#include "low/include/Low.h"\n#include "high/include/Same.h"\n// Secret in a comment is no use of it\nconst char* text = "Secret";\n' \
    >"$small/high/High.cpp"
}

make_small
expect "the clean small tree" "$small" 0

# An include that does not name its room (found through the include
# directories), and the rewrite that names it.
make_small
printf '#include "Low.h"\n#include "low/include/Same.h"\n' >"$small/low/Low.cpp"
printf '#include "Low.h"\n#include "Same.h"\n' >"$small/high/High.cpp"
expect "includes that name no room" "$small" 1 \
  'low/Low.cpp:1: #include "Low.h" names no room: write "low/include/Low.h"' \
  'high/High.cpp:2: #include "Same.h" names no room: write "high/include/Same.h"'
"$check" --root "$small" --fix-includes >/dev/null || true
expect "the same tree after --fix-includes" "$small" 0
grep -qxF '#include "high/include/Same.h"' "$small/high/High.cpp" ||
  fail "--fix-includes: high/High.cpp is"$'\n'"$(cat "$small/high/High.cpp")"

make_small
printf '#include "Low.h"\n#include "High.h"\n' >"$small/low/Low.cpp"
printf 'struct High {};\n' >"$small/high/include/High.h"
expect "a bare include found through the tree" "$small" 1 \
  'low/Low.cpp:2: low may not use high (#include "High.h" is high/include/High.h)'

make_small
printf '#include "Low.h"\n#include "../high/include/Same.h"\n' >"$small/low/Low.cpp"
expect "a relative include" "$small" 1 \
  'low/Low.cpp:2: low may not use high (#include "../high/include/Same.h" is high/include/Same.h)'

make_small
printf 'target_link_libraries(low PRIVATE high)\n' >>"$small/low/CMakeLists.txt"
expect "a link" "$small" 1 'low/CMakeLists.txt:3: low may not use high (low links high)'

make_small
printf 'target_include_directories(low PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/../high/include)\n' \
  >>"$small/low/CMakeLists.txt"
expect "an include directory of another room" "$small" 1 \
  'low/CMakeLists.txt:3: low may not use high (low includes from high/include/)'

make_small
printf '#include "Low.h"\n\nSecret s;\n' >"$small/high/High.cpp"
expect "a forbidden name" "$small" 1 'high/High.cpp:3: high may not name Secret'

make_small
mkdir -p "$small/other"
printf '#include "Low.h"\n' >"$small/other/Other.cpp"
expect "a source outside every room" "$small" 1 'other/Other.cpp:1: lies in no room of ARCHITECTURE.md'

make_small
printf '| `middle/` | `low/` |\n' >>"$small/ARCHITECTURE.md"
expect "a room that is no folder" "$small" 2

# The project's own sources with a forbidden include planted: the platform
# reaching up to the status controller, by its bare name.
copy=$work/project
mkdir -p "$copy"
(cd "$source_dir" && git ls-files -z 2>/dev/null || find . -type f -not -path "./.git/*" -not -path "./build*" -print0) |
  (cd "$source_dir" && xargs -0 cp --parents -t "$copy")
cp "$source_dir/ARCHITECTURE.md" "$copy/"
printf '#include "platform/Profile.h"\n#include "CStatusView.h"\n' >"$copy/platform/Planted.cpp"
expect "the project with a planted include" "$copy" 1 \
  'platform/Planted.cpp:2: platform may not use exchange (#include "CStatusView.h" is exchange/CStatusView.h)'

# The README's folder table says what ARCHITECTURE.md's says.
rm "$copy/platform/Planted.cpp"
sed -i 's/^| `archive\/` | `.arq` archives:/| `archive\/` | archives:/' "$copy/README.md"
expect "a README folder row that differs" "$copy" 1 \
  "README.md:$(grep -n '^| `archive/` |' "$copy/README.md" | cut -d: -f1): the folder row \`archive/\` is not ARCHITECTURE.md's"

if ((failures)); then
  echo "$failures case(s) failed"
  exit 1
fi
echo "check-layers: all cases pass"
