#!/usr/bin/env bash
# A seamless loop, or a poster, rendered in shards by GNU parallel, on this machine or on
# others over ssh, then joined into one file.
#
#   examples/parallel-loop.sh TILE OUTPUT [RENDERER FLAGS...]
#   examples/parallel-loop.sh Basic.bmp loop.mp4 --seed 7 --board 1920x1080 --animate zoom --frames 240
#   examples/parallel-loop.sh Basic.bmp poster.tif --seed 7 --board 40000x40000
#
# A loop's shards are ranges of frames, a poster's (a still) bands of rows.
# SHARDS (default 4) is how many parts the frames are cut into. HOSTS, when set, is
# parallel's --sshlogin list, e.g. ":,8/render1,8/alice@render2" (":" is this machine);
# every host needs marvane-render on its PATH. The tile is copied to each host and every
# host's frames are copied back (both relative to the current folder, which must lie
# under the home folder). They stay in FRAMES (default OUTPUT.frames/): a failed
# shard can be run again, and rewrites the same bytes. JOIN_FLAGS go to the join, e.g.
# "--fps 30 --quality 90".
#
# Give every shard the same --seed (or --tile-color): the tile's colour is otherwise
# sampled at random, once in each process.
set -euo pipefail

if (($# < 2)); then
  echo "usage: $0 TILE OUTPUT [marvane-render flags: --seed N --board WxH --animate zoom --frames N ...]" >&2
  exit 2
fi
tile="$1" output="$2"
shift 2
shards="${SHARDS:-4}"
read -ra join_flags <<<"${JOIN_FLAGS:-}"
frames="${FRAMES:-$output.frames}"
frames="${frames%/}/"

remote=()
if [[ -n "${HOSTS:-}" ]]; then
  remote=(--sshlogin "$HOSTS" --workdir . --basefile "$tile" --return "$frames")
fi

# One job per shard; the first to fail stops the rest and the join is not run.
seq 0 $((shards - 1)) |
  parallel --will-cite --halt now,fail=1 --quote "${remote[@]}" \
    marvane-render --quiet --tile "$tile" "$@" --shard "{}/$shards" -o "$frames"

marvane-render --join "$frames" "${join_flags[@]}" -o "$output"
