#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mezu-report's bash completion as a Tab press gives it: the line is cut into words as bash
# cuts it (COMP_WORDBREAKS, so "--size=a" is "--size", "=", "a"), and the reply is what bash
# puts in place of the word after the last break.
# Usage: completion_test.sh COMPLETION-FILE
set -euo pipefail
completion=$(realpath "${1:?usage: completion_test.sh COMPLETION-FILE}")
if [ ! -f /usr/share/bash-completion/bash_completion ]; then
    echo "skip - bash-completion is not installed (bash scripts/setup.sh --tests installs it)"
    exit 77
fi
work=$(mktemp -d /tmp/mezu-completion-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sub/deeper" "$work/second"
touch "$work/saved.txt"

# line typed before Tab | the replies, sorted, separated by spaces
cases='
mezu-report su|survey
mezu-report --thr|--threads
mezu-report --format |csv json text
mezu-report --format=|csv json text
mezu-report --format=c|csv
mezu-report --size=a|allocated
mezu-report --size a|allocated
mezu-report --threads=1|1 16
mezu-report --format=json su|survey
mezu-report --drive C=s|second sub
mezu-report --drive=d=su|sub
mezu-report --drive C=sub su|survey
mezu-report survey s|second sub
mezu-report -o saved.txt survey su|sub
mezu-report compare saved.txt su|sub survey
mezu-report compare saved.txt survey se|second
mezu-report l|largest
mezu-report a|ages all-drives
mezu-report --hard-links |every once
mezu-report --hard-links=o|once
mezu-report --hard-links once k|kinds
mezu-report largest s|second sub
mezu-report largest -n 10 su|sub
mezu-report largest --c|--count
mezu-report largest --count=5 s|second sub
'
failures=0
while IFS='|' read -r line expected; do
    [ -n "$line" ] || continue
    got=$(cd "$work" && bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        line=$2
        # Cut as readline does: at blanks, and each run of break characters is a word of its own.
        COMP_WORDS=()
        word=""
        for ((k = 0; k < ${#line}; k++)); do
            c=${line:k:1}
            if [[ $c == " " ]]; then
                [[ -n $word ]] && COMP_WORDS+=("$word")
                word=""
            elif [[ $c == [=:] ]]; then
                [[ -n $word && $word != [=:]* ]] && { COMP_WORDS+=("$word"); word=""; }
                word+=$c
            else
                [[ $word == [=:]* ]] && { COMP_WORDS+=("$word"); word=""; }
                word+=$c
            fi
        done
        COMP_WORDS+=("$word")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE=$line
        COMP_POINT=${#line}
        _mezu_report mezu-report "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
    ' _ "$completion" "$line")
    if [ "${got% }" != "$expected" ]; then
        echo "FAIL - '$line<Tab>' gives '${got% }', not '$expected'"
        failures=$((failures + 1))
    fi
done <<<"$cases"
[ "$failures" -eq 0 ] || exit 1
echo "ok - mezu-report's completion, also of --option=value and --drive X=DIR"
