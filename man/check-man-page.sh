#!/usr/bin/env bash
# Checks a manual page against its program: every option that --help names,
# for the program and for each of its commands, stands in a formatted line of
# the page (.B, .BR, .BI, ...), and the page's header and --version name the
# same version.   check-man-page.sh PROGRAM PAGE VERSION
set -euo pipefail
program=$1 page=$2 version=$3
name=$(basename "$program")
export LC_ALL=C.UTF-8 LANG=C.UTF-8  # the English help
failed=0

printed=$("$program" --version | head -n 1)  # brelko-cli names its settings file below
if [[ $printed != "$name $version" ]]; then
  echo "$name --version prints \"$printed\", not \"$name $version\""
  failed=1
fi
if ! grep -q "^\.TH .*\"Brelko $version\"" "$page"; then
  echo "$page: its header does not name Brelko $version"
  failed=1
fi

# The help of the program and of every command below it (CLI11 lists the
# commands under "Commands:" or "Subcommands:", one per line, name first).
help_of() {
  local help
  help=$("$program" "$@" --help)
  printf '%s\n' "$help"
  local sub
  for sub in $(printf '%s\n' "$help" | sed -n '/^\(sub\)\{0,1\}commands:/I,/^$/{/^  [a-z]/{s/^  \([a-z-]*\).*/\1/p}}'); do
    help_of "$@" "$sub"
  done
}

# The option names of the help's option lines: "  -q,--quiet", "  --port INT ...".
options=$(help_of | grep -E '^ +-' | grep -oE '(^|[ ,])-{1,2}[A-Za-z][A-Za-z0-9-]*' | tr -d ' ,' | sort -u)
if [[ -z $options ]]; then
  echo "$name --help names no options"
  exit 1
fi

# The page's formatted lines with troff's escapes taken out.
formatted=$(grep -E '^\.(B|BI|BR|IB|RB|IR|RI)( |$)' "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')
for option in $options; do
  if ! grep -qE -- "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|$)" <<<"$formatted"; then
    echo "$page: option $option of $name --help is missing"
    failed=1
  fi
done
((failed == 0)) && echo "$page: $(wc -w <<<"$options") options of $name, version $version"
exit "$failed"
