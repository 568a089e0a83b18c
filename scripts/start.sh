#!/usr/bin/env bash
# Starts the desktop program in its start folder.
#   scripts/start.sh PROGRAM_DIR [ARGS...]
# PROGRAM_DIR holds the program "marvane": a build tree, with the shipped files in
# PROGRAM_DIR/share, or an installed bin folder. An installed copy of this script lives
# among the shipped files (share/marvane), and finds them beside itself.
#
# The program works in the folder it is started in: it reads "TileGrid.bmp" and
# "HelpTxt.txt" there and keeps "Tiles" and "Output" there. That folder is $MARVANE_HOME,
# or ~/Marvane. Whatever it lacks of the shipped files (the default tile, the help text
# and the tile grid of the default settings) is copied in; nothing already there is ever
# replaced, so a user's own tile grid, help text or tiles stay as they are.
set -euo pipefail

say() { printf 'marvane: %s\n' "$*" >&2; }

if [[ $# -lt 1 || -z "$1" ]]; then
  say "usage: scripts/start.sh PROGRAM_DIR [ARGS...]"
  exit 2
fi
if [[ ! -d "$1" ]]; then
  say "$1 is not a folder: build the program first (./marvane build)"
  exit 1
fi
program_dir="$(cd "$1" && pwd)"
shift

share=""
for candidate in "$program_dir/share" "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")"; do
  if [[ -f "$candidate/Tiles/Basic.bmp" ]]; then
    share="$candidate"
    break
  fi
done
if [[ -z "$share" ]]; then
  say "the shipped files (Tiles/Basic.bmp and the rest) are not in $program_dir/share: build the program first (./marvane build)"
  exit 1
fi

if [[ -n "${MARVANE_HOME:-}" ]]; then
  start_folder="$MARVANE_HOME"
elif [[ -n "${HOME:-}" ]]; then
  start_folder="$HOME/Marvane"
else
  say "no start folder: neither MARVANE_HOME nor HOME is set"
  exit 1
fi

if [[ -e "$start_folder" && ! -d "$start_folder" ]]; then
  say "the start folder $start_folder is a file, not a folder: move it away or set MARVANE_HOME to another folder"
  exit 1
fi
if ! mkdir -p "$start_folder/Tiles" "$start_folder/Output" 2>/dev/null; then
  say "cannot make the start folder $start_folder: set MARVANE_HOME to a folder you may write in"
  exit 1
fi

# copy_missing NAME: the shipped file NAME, unless the start folder has that name already.
# It goes in under a temporary name and is renamed, so an interrupted copy leaves no
# half file that would stop the next start.
copy_missing() {
  local target="$start_folder/$1"
  [[ -e "$target" || -L "$target" ]] && return 0
  local part="$target.part.$$"
  if ! cp "$share/$1" "$part" 2>/dev/null || ! mv -n "$part" "$target"; then
    rm -f "$part"
    say "cannot copy $1 into $start_folder"
    exit 1
  fi
  rm -f "$part"
}
copy_missing Tiles/Basic.bmp
copy_missing HelpTxt.txt
copy_missing TileGrid.bmp

# A platform chosen by name (offscreen, for one) needs no display of its own.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  say "no display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the desktop program cannot open its windows."
  say "The start folder $start_folder is ready. To make pictures without a display, use the"
  say "headless renderer:  ./marvane render --help"
  exit 3
fi

if [[ ! -x "$program_dir/marvane" ]]; then
  say "the desktop program $program_dir/marvane has not been built"
  exit 1
fi

cd "$start_folder"
exec "$program_dir/marvane" "$@"
