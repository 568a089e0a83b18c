#!/usr/bin/env bash
# Submits slurm-loop.sbatch's job array, then a job that joins its frames into loop.mp4
# and starts only when every task of the array has ended well (afterok on the array's
# job id). Run it in the folder that is to hold frames/ and loop.mp4; the join needs
# the ffmpeg program on its node for a video (not for loop.webp). "slurm-submit.sh
# poster" does the same for a poster: bands/, joined into poster.tif.
set -euo pipefail
what="${1:-loop}"
if [[ "$what" == poster ]]; then join_flags="--join bands -o poster.tif"; else join_flags="--join frames --fps 24 -o loop.mp4"; fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# --parsable prints "JOBID" or, on a federation, "JOBID;CLUSTER".
array="$(sbatch --parsable --export=ALL,WHAT="$what" "$here/slurm-loop.sbatch")"
array="${array%%;*}"
join="$(sbatch --parsable --dependency="afterok:$array" --kill-on-invalid-dep=yes \
  --job-name=marvane-join --cpus-per-task=2 --output=marvane-join-%j.log \
  --wrap="marvane-render --quiet $join_flags")"
echo "$what: job array $array; join: job ${join%%;*}"
