#!/usr/bin/env bash
# Every shared library the programs link is named in the package's copyright file:
#   linked_licences_test.sh COPYRIGHT PROGRAM...
# and every licence a paragraph names has its text there. A new library (FFmpeg, libvips,
# libtiff...) fails here until its paragraph is added.
set -euo pipefail
copyright="$1"; shift
status=0
patterns="$(sed -n 's/^Files: *//p' "$copyright" | tr ' ' '\n' | grep -v '^\*$')"
for program in "$@"; do
  needed="$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')"
  [[ -n "$needed" ]] || { echo "$program: readelf found no linked library" >&2; exit 1; }
  for lib in $needed; do
    found=0
    while read -r pattern; do
      # shellcheck disable=SC2053  # the pattern is a copyright-file glob
      [[ -n "$pattern" && "$lib" == $pattern ]] && found=1
    done <<<"$patterns"
    ((found)) || { echo "$(basename "$program") links $lib, which $copyright does not name" >&2; status=1; }
  done
done
# Licence names used in paragraphs, each with a stand-alone "License:" paragraph of text.
while read -r licence; do
  grep -qxF "License: $licence" <(awk '/^License: /{ if (!files) print } /^Files: /{ files=1 } /^$/{ files=0 }' "$copyright") ||
    { echo "the licence '$licence' has no text in $copyright" >&2; status=1; }
done < <(awk '/^Files: /{ files=1 } files && /^License: /{ sub(/^License: /, ""); print; files=0 } /^$/{ files=0 }' "$copyright" | sort -u)
exit "$status"
