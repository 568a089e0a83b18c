#!/usr/bin/env bash
# GNU parallel renders a loop in two shards on this machine (examples/parallel-loop.sh):
# the frames are those of one run of the whole loop, byte for byte, and their join is an
# MP4 that ffprobe reads, padded to even sides. The same script renders a poster in three
# bands, whose join is the picture drawn whole, byte for byte.
#   parallel_shards_test.sh RENDER_PROGRAM TILE EXAMPLES_FOLDER
set -euo pipefail
render="$1" tile="$2" examples="$3"

for tool in parallel ffprobe; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed (./marvane test installs it): skipped"
    exit 77
  fi
done
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
PATH="$(dirname "$render"):$PATH"

loop=(--seed 1 --board 251x187 --animate zoom --frames 6)
SHARDS=2 FRAMES=shards JOIN_FLAGS="--fps 12" "$examples/parallel-loop.sh" "$tile" loop.mp4 "${loop[@]}"
"$render" --quiet --tile "$tile" "${loop[@]}" -o whole/
"$render" --quiet --tile "$tile" "${loop[@]}" --shard 1/2 -o second/

listing() { (cd "$1" && echo *); }
frames="frame-0000.png frame-0001.png frame-0002.png frame-0003.png frame-0004.png frame-0005.png"
for folder in whole shards; do
  [[ "$(listing $folder)" == "$frames" ]] || fail "$folder holds $(listing $folder)"
done
[[ "$(listing second)" == "frame-0003.png frame-0004.png frame-0005.png" ]] ||
  fail "shard 1/2 of 6 frames wrote $(listing second)"
for frame in $frames; do cmp "whole/$frame" "shards/$frame" || fail "$frame differs from one run's"; done
# A zoom moves: the frames are not all one picture.
! cmp -s whole/frame-0000.png whole/frame-0003.png || fail "frames 0 and 3 are the same"

probe="$(ffprobe -v error -count_frames -select_streams v:0 -of default=noprint_wrappers=1 \
  -show_entries stream=codec_name,width,height,pix_fmt,nb_read_frames:format=duration loop.mp4)"
expected="$(printf '%s\n' codec_name=h264 width=252 height=188 pix_fmt=yuv420p nb_read_frames=6 duration=0.500000)"
[[ "$probe" == "$expected" ]] || fail "ffprobe reads loop.mp4 as:"$'\n'"$probe"$'\n'"expected:"$'\n'"$expected"
echo "two shards by GNU parallel = one run; loop.mp4: ${probe//$'\n'/ }"

poster=(--seed 1 --board 251x187 --rotate 45)
SHARDS=3 FRAMES=bands "$examples/parallel-loop.sh" "$tile" poster.png "${poster[@]}"
"$render" --quiet --tile "$tile" "${poster[@]}" -o whole.png
[[ "$(listing bands)" == "rows-000000-000062-of-251x187.png rows-000062-000124-of-251x187.png rows-000124-000187-of-251x187.png" ]] ||
  fail "three shards of a poster wrote $(listing bands)"
cmp poster.png whole.png || fail "the poster joined from its bands differs from one run's"
echo "three bands of a poster by GNU parallel, joined = one run"
