#!/usr/bin/env bash
# The renderer's bash completion, as the shell calls it:
#   completion_test.sh COMPLETION-FILE MARVANE-RENDER
set -euo pipefail
export LC_ALL=C
source "$1"
render="$2"
cd "$(mktemp -d)"
trap 'rm -rf "$PWD"' EXIT
touch tile.bmp other.png
mkdir frames

# complete_line WORDS...: what completing the last word offers, sorted, on one line.
complete_line() {
  COMP_WORDS=("$render" "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _marvane_render "$render" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
  ((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
  local want="$1"; shift
  local got
  got="$(complete_line "$@")"
  [[ "$got" == "$want" ]] || { echo "completing '$*' offered '$got', not '$want'" >&2; exit 1; }
}
expect "--fade-width --format --fps --frame-range --frames " --f
expect "--seed --sequential --settings --shard --small --smallest-radius --spectrum-shift " --s
expect "-45 0 45 " --seed 1 --rotate ""
expect "hue " --animate h
expect "frames other.png tile.bmp " --tile ""
expect "frames " -o x.webp --join ""
expect "" --pieces ""
offered="$(complete_line "")"
for flag in --tile -o --output --seed --board --animate --quiet -q --help --version; do
  [[ " $offered" == *" $flag "* ]] || { echo "no $flag among: $offered" >&2; exit 1; }
done
