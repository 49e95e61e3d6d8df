#!/bin/sh
# Runs the built fuzzer (build it with the "fuzz" preset first) for SECONDS on a copy of the seed corpus.
# Usage: fuzz/run.sh SECONDS        FUZZER=path/to/vdacheck_fuzz_reader overrides the binary;
# FUZZ_SEED=N fixes the random seed, so that a run walks the same inputs again (CI uses a fixed seed:
# a landing must not fail on a finding unrelated to it; long runs with fresh seeds are done by hand).
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
fuzzer=${FUZZER:-$here/../build/fuzz/fuzz/vdacheck_fuzz_reader}
if [ ! -x "$fuzzer" ]; then
  echo "no fuzzer at $fuzzer: build it with: cmake --preset fuzz && cmake --build build/fuzz" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$here/corpus" "$work/corpus"
cd "$work"
"$fuzzer" ${FUZZ_SEED:+-seed="$FUZZ_SEED"} -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/vda.dict" -print_final_stats=1 "$work/corpus"
