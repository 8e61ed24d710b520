#!/usr/bin/env bash
# usage: completion_test.sh COMPLETION_FILE GRIDWICK
# Bash completion as a user meets it: each line typed so far and what the
# completion offers; every offer must read back, as a shell word, as the
# name it stands for (target names hold spaces, '$' and parentheses).
set -uo pipefail
completion=$1
gridwick=$2
loader=/usr/share/bash-completion/bash_completion
[ -f "$loader" ] || { echo "completion test: bash-completion is not installed" >&2; exit 1; }
# shellcheck disable=SC1090
source "$loader"
source "$completion"
fail=0

# offers WORDS: runs the completion of the last of WORDS ('|' between words,
# each as typed; gridwick stands first).
offers() {
  IFS='|' read -ra COMP_WORDS <<<"$gridwick|$1"
  [[ $1 == *"|" ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _gridwick
}

# expect WORDS NAME...: the completion offers exactly these names.
expect() {
  local words=$1 got=() offer
  shift
  offers "$words"
  for offer in "${COMPREPLY[@]}"; do
    local -a back
    eval "back=($offer)" 2>/dev/null || { echo "FAIL '$words': '$offer' is no shell word" >&2; fail=1; continue; }
    [ ${#back[@]} -eq 1 ] || { echo "FAIL '$words': '$offer' is ${#back[@]} words" >&2; fail=1; continue; }
    got+=("${back[0]}")
  done
  [ "$(printf '%s|' "${got[@]}")" = "$(printf '%s|' "$@")" ] ||
    { echo "FAIL '$words': got $(printf '[%s]' "${got[@]}"), want $(printf '[%s]' "$@")" >&2; fail=1; }
}

expect 'gen' generate
expect 'generate|--target|81' '81 char $ (.)' '81 char $ (0)'
expect 'generate|--target|81\ char\ \$\ \(.' '81 char $ (.)'
expect 'generate|-t|Simp' 'Simple Sudoku'
expect "merge|x|-t|'Sudoku E" 'Sudoku Explainer'
expect 'generate|--levels|Ext' Extreme
expect 'generate|--max-t' --max-time
expect 'print|--order|ra' random
[ $fail -eq 0 ] && echo "completion test: ok"
exit $fail
