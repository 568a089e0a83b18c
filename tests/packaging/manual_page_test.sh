#!/usr/bin/env bash
# A program's --help and --version, and its manual page made from them:
#   manual_page_test.sh VERSION PAGE.1.gz PROGRAM
# Both answer without a display; the version is the project's; the page lists exactly
# the flags the program's --help lists, so a page left behind by a changed program fails.
set -euo pipefail
export LC_ALL=C
version="$1" page="$2" program="$3"
name="$(basename "$program")"
fail() { printf '%s: %s\n' "$name" "$*" >&2; exit 1; }

nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
said="$("${nodisplay[@]}" "$program" --version)" || fail "--version failed"
[[ "$said" == "$name $version" ]] || fail "--version says '$said', not '$name $version'"
help="$("${nodisplay[@]}" "$program" --help)" || fail "--help failed"
[[ "$help" == Usage:* || "$help" == *$'\n'Usage:* ]] || fail "--help has no Usage line"

flags() { grep -oE -- '(^|[^a-zA-Z-])--[a-z][a-z0-9-]*' | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
in_help="$(flags <<<"$help")"
# help2man writes a dash as \- and sets flags in bold (\fB...\fR).
in_page="$(zcat "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' | flags)"
[[ "$in_help" == *--version* ]] || fail "--help does not list --version"
[[ "$in_page" == "$in_help" ]] || fail "the page's flags differ from --help's:
$(diff <(echo "$in_page") <(echo "$in_help") || true)"
zcat "$page" | grep -q "$name $version" || fail "the page does not give the version $version"
zcat "$page" | grep -q '^\.SH OPTIONS' || fail "the page has no OPTIONS section"
