#!/usr/bin/env bash
# Renders one seeded matrix of pictures and loop frames with two renderers and compares
# their bytes: the check that a reshaping or a faster kernel leaves every picture as it
# was. Boards, tiles (square, wide, tall, tiny), every slider at both ends, rotations,
# quadrant subsets, the small picture, a given tile colour, 1 to 3 threads, the
# desktop's slice-by-slice pipeline, --keep's files, a saved grid, refused tiles, and
# frames of each kind of loop.
#
#   scripts/byte-matrix.sh OLD_RENDERER NEW_RENDERER [TILE]
#
# TILE is the square tile the matrix starts from (the shipped Basic.bmp by default); the
# other tiles are cut from pictures the old renderer makes. Prints one line a case that
# differs and a last line "N cases: N identical, N differ"; exits 1 when any differs.
set -euo pipefail

old="$(realpath "$1")"
new="$(realpath "$2")"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tile="$(realpath "${3:-$root/build/share/Tiles/Basic.bmp}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Tiles of other shapes, drawn by the old renderer (the new one must read them the same).
"$old" --tile "$tile" --board 300x120 --seed 3 -q -o wide.png
"$old" --tile "$tile" --board 90x250 --seed 4 -q --rotate 0 -o tall.bmp
"$old" --tile "$tile" --board 10x10 --seed 5 -q -o tiny.bmp
"$old" --tile "$tile" --board 400x12 --seed 5 -q -o toowide.bmp
# A saved grid, with the files --keep writes.
"$old" --tile "$tile" --board 500x400 --seed 15 -q --keep saved -o saved.png

cases=()
# Every slider at both ends.
for v in "--spectrum-shift -150" "--spectrum-shift 150" "--center-tone 0" "--center-tone 426" \
         "--brightness-shift -100" "--brightness-shift 100" "--center-brightness -100" "--center-brightness 100"; do
  cases+=("--seed 1 $v")
done
# Rotations by quadrant subsets.
for r in -45 0 45; do
  for q in ur ul,ll lr,ur,ul none; do cases+=("--seed 2 --rotate $r --quadrants $q"); done
done
# The three number boxes at their ends and between.
for v in "--pieces 6" "--pieces 13" "--pieces 99" "--smallest-radius 3" "--smallest-radius 100" \
         "--fade-width 3" "--fade-width 200"; do
  cases+=("--seed 3 $v")
done
# Boards, none smaller than the tile.
for b in 640x480 333x1000 1001x301 2000x1500; do cases+=("--seed 4 --board $b"); done
# Tiles of every shape, small and full size.
for t in "$work/wide.png" "$work/tall.bmp" "$work/tiny.bmp"; do
  cases+=("--tile $t --seed 5 --board 320x260" "--tile $t --seed 5 --board 320x260 --small")
done
# Threads and the desktop's own pipeline.
for s in "" "--small"; do
  for t in "--threads 1" "--threads 2" "--threads 3" "--sequential"; do cases+=("--seed 6 --pieces 17 $s $t"); done
done
# A given tile colour.
for c in 0,0,0 255,255,255 12.5,200.25,99; do cases+=("--tile-color $c --board 500x400"); done
# Mixed values, each on another seed.
cases+=("--seed 7 --pieces 31 --smallest-radius 40 --fade-width 90 --rotate 45 --spectrum-shift -70 --center-tone 300"
        "--seed 8 --board 1024x768 --quadrants ur,ll --brightness-shift 60 --center-brightness -40 --small"
        "--seed 9 --tile $work/wide.png --board 800x800 --rotate 0 --pieces 8 --fade-width 150"
        "--seed 10 --tile $work/tall.bmp --board 700x500 --quadrants ul --center-tone 213 --sequential"
        "--seed 11 --board 257x255 --pieces 50 --smallest-radius 5"
        "--seed 12 --board 1200x300 --spectrum-shift 150 --brightness-shift -100 --threads 3")
# --keep's files, a saved grid, and tiles refused (the messages are compared too).
cases+=("--seed 15 --board 500x400 --keep KEEP" "--seed 15 --board 500x400 --small --keep KEEP --sequential"
        "--seed 16 --board 500x400 --grid $work/saved/grid.bmp" "--seed 16 --board 500x400 --grid $work/saved/grid.bmp --sequential"
        "--tile $work/toowide.bmp --seed 17" "--tile $work/missing.bmp --seed 17")
# Frames of every kind of loop (each case writes three frames).
for m in zoom hue both; do
  cases+=("--seed 13 --board 400x300 --animate $m --frames 8 --frame-range 0:3 -o frames/"
          "--seed 14 --board 400x300 --small --animate $m --frames 5 --frame-range 2:5 -o frames/")
done

differ=0
for i in "${!cases[@]}"; do
  name=picture.png
  [[ "${cases[$i]}" == *" -o frames/" ]] && name=frames/
  for side in old new; do
    args="${cases[$i]}"
    [[ "$args" == *"--tile "* ]] || args="--tile $tile $args"
    args="${args% -o frames/}"
    mkdir -p "$side/$i"
    exe="$old"
    [[ "$side" == new ]] && exe="$new"
    out="$side/$i/$name"
    args="${args//KEEP/$side/$i/keep}"
    # shellcheck disable=SC2086  # the case's flags are words
    "$exe" $args -q -o "$out" >"$side/$i.err" 2>&1 || true
  done
  # A refused tile writes nothing; every other case writes something.
  if ! diff -r old/"$i" new/"$i" >/dev/null || ! cmp -s old/"$i.err" new/"$i.err" ||
     { [[ -z "$(ls old/"$i")" ]] && ! [[ -s old/"$i.err" ]]; }; then
    echo "differs: $args"
    differ=$((differ + 1))
  fi
done
echo "${#cases[@]} cases: $((${#cases[@]} - differ)) identical, $differ differ"
((differ == 0))
