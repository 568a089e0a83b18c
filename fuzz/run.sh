#!/usr/bin/env bash
# Builds one fuzz program and runs it on its seed corpus for SECONDS seconds.
#   fuzz/run.sh TARGET SECONDS [libFuzzer flags...]
# TARGET is settings_file, leading_number, picture_file, help_file or render_command_line.
# New inputs go to build-fuzz/corpus/TARGET (the committed seeds stay as they are);
# a finding is written to build-fuzz/findings/TARGET/ and ends the run with its status.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-fuzz"
target="${1:?usage: fuzz/run.sh TARGET SECONDS [libFuzzer flags...]}"
seconds="${2:?usage: fuzz/run.sh TARGET SECONDS [libFuzzer flags...]}"
shift 2

if [[ ! -f "$BUILD/build.ninja" ]]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMARVANE_FUZZ=ON -DMARVANE_SANITIZE=ON -DMARVANE_BENCH=OFF >&2
fi
nice cmake --build "$BUILD" --target "fuzz_$target" -j 2 >&2

seeds="$ROOT/fuzz/corpus/$target"
work="$BUILD/corpus/$target"
findings="$BUILD/findings/$target"
mkdir -p "$work" "$findings"

# Leaks are findings too; a finding stops the run and keeps its input.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
exec nice "$BUILD/fuzz/fuzz_$target" "$work" "$seeds" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1536 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$findings/" "$@"
