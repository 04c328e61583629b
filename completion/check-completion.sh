#!/usr/bin/env bash
# Checks the bash completion of brelko-cli in a real bash with bash-completion's
# helpers: what it offers after typical command lines, and that it knows every
# command and option of brelko-cli --help and every preset and fault of the
# simulator, so that it cannot fall behind the programs unnoticed.
#   check-completion.sh COMPLETION BRELKO-CLI BRELKO-SIM BASH_COMPLETION
set -uo pipefail
completion=$(realpath "$1") cli=$(realpath "$2") sim=$(realpath "$3")
export LC_ALL=C.UTF-8 LANG=C.UTF-8
# shellcheck disable=SC1090
source "$4"
# shellcheck disable=SC1090
source "$completion"
complete -p brelko-cli >/dev/null || { echo "no completion for brelko-cli"; exit 1; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
touch a.asc b.txt c.mtx d.tga e.png f.arq g.ini
mkdir sub

# The candidates for the last word of a command line, its words split as bash
# splits them (at blanks, and "=" a word of its own).
candidates() {
    local line=$1 spaced
    spaced=${1//=/ = }
    read -ra COMP_WORDS <<<"$spaced"
    [[ $spaced == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    # compopt only works under a real completion: its complaint is no failure.
    _brelko_cli brelko-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}"
}

failed=0
# expect LINE WORD...: each WORD is offered; a WORD starting with "!" is not.
expect() {
    local line=$1 got word
    shift
    got=$(candidates "$line")
    for word in "$@"; do
        if [[ $word == '!'* ]]; then
            grep -qxF -- "${word#!}" <<<"$got" || continue
            echo "after \"$line\": ${word#!} is offered, and should not be"
        else
            grep -qxF -- "$word" <<<"$got" && continue
            echo "after \"$line\": $word is not offered (offered: $(tr '\n' ' ' <<<"$got"))"
        fi
        failed=1
    done
}

expect 'brelko-cli ' identify backup restore arc diff ports '!a.asc'
expect 'brelko-cli ge' get-menu get-language get-picture '!identify'
expect 'brelko-cli restore ' a.asc sub '!b.txt' '!c.mtx'
expect 'brelko-cli --port 3 backup ' a.asc '!b.txt'
expect 'brelko-cli diff a.asc ' a.asc '!e.png'
expect 'brelko-cli send-language ' b.txt '!a.asc'
expect 'brelko-cli get-picture ' c.mtx d.tga e.png '!a.asc'
expect 'brelko-cli convert c.mtx ' d.tga e.png '!b.txt'
expect 'brelko-cli arc ' list extract
expect 'brelko-cli arc list ' f.arq '!a.asc'
expect 'brelko-cli arc extract f.arq ' sub '!a.asc'
expect 'brelko-cli --ini ' g.ini '!a.asc'
expect 'brelko-cli --sim-picture ' c.mtx '!d.tga'
expect 'brelko-cli --lang ' en da
expect 'brelko-cli --sim-form ' raw archive
expect 'brelko-cli --sim-fault ' silent-after= wrong-checksum request=
expect 'brelko-cli --simulate=' tz410-3.2.E kaldspot-1.7.A
expect 'brelko-cli --simulate=tz2' tz220-2.11.A tz220-4.1.A '!tz410-3.2.E'
expect 'brelko-cli --simul' --simulate --simulate=
expect 'brelko-cli restore --' --force --safety-dir --no-safety-copy --quiet
expect 'brelko-cli backup --' --service-data '!--force'
expect 'brelko-cli diff --' --system --service-data

# Everything the programs know. The commands and options from the help of
# brelko-cli and of each command, in CLI11's layout: commands under
# "Commands:" (CLI11: "Subcommands:"), options on lines starting with "-".
help=$("$cli" --help)
commands=$(sed -n '/^\(sub\)\{0,1\}commands:/I,/^$/{/^  [a-z]/{s/^  \([a-z-]*\).*/\1/p}}' <<<"$help")
[[ -n $commands ]] || { echo "brelko-cli --help lists no commands"; exit 1; }
option_names() { grep -E '^ +-' | grep -oE '(^|[ ,])-{1,2}[A-Za-z][A-Za-z0-9-]*' | tr -d ' ,' | grep -vx -- '-h'; }
# shellcheck disable=SC2086
expect 'brelko-cli ' $commands
# shellcheck disable=SC2046
expect 'brelko-cli -' $(option_names <<<"$help")
for command in $commands; do
    # shellcheck disable=SC2046
    expect "brelko-cli $command -" $("$cli" "$command" --help | option_names)
done
# shellcheck disable=SC2046
expect 'brelko-cli --simulate=' $("$sim" --list-presets | sed -n 's/^ *\([^ :]*\):.*/\1/p')
# The fault switches: the lines after the heading that names --sim-fault.
faults=$(sed -n '/(--sim-fault/,/^$/{/^  [a-z]/{s/^  *\([a-z-]*=\{0,1\}\).*/\1/p}}' <<<"$help")
[[ -n $faults ]] || { echo "brelko-cli --help lists no fault switches"; exit 1; }
# shellcheck disable=SC2086
expect 'brelko-cli --sim-fault ' $faults

((failed == 0)) && echo "bash completion of brelko-cli: $(wc -w <<<"$commands") commands, options, presets, faults, files"
exit "$failed"
