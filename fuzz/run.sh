#!/bin/sh
# Runs a built fuzz target (build them with the "fuzz" preset first) for SECONDS on a copy of the seed corpus.
# Usage: fuzz/run.sh SECONDS [reader|repair|quality|triangulation|heal|profile|page]     (default: reader)
#   reader: read, write, read again, compare        repair: read, repair, write, read again, check clean
#   quality: read, measure on one thread and on three, compare the reports
#   triangulation: triangulate random trimming loops, hold the result to its status
#   heal: read, repair and heal, write, read again, check clean and measure
#   profile: JSON and profiles (its own seed corpus, corpus-profile/, and json.dict)
#   page: read, check, measure, draw, write the report page and look into it
# The model targets start from fuzz/corpus (quality also from the test models under tests/data); the
# triangulation, which reads its input as loops, not as a model, from fuzz/loops.
# FUZZER=path overrides the binary; FUZZ_SEED=N fixes the random seed, so that a run walks the same inputs
# again (CI uses a fixed seed: a landing must not fail on a finding unrelated to it; long runs with fresh
# seeds are done by hand). A failing input is kept in FUZZ_ARTIFACTS (default build/fuzz-artifacts) and
# printed in base64, so that a failure in a CI log can be replayed: base64 -d > crash.vda; FUZZER crash.vda
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS [reader|repair|quality|triangulation|heal|profile|page]}
target=${2:-reader}
corpus=corpus
dict=vda.dict
case "$target" in
  reader|repair|quality|triangulation|heal|page) ;;
  profile) corpus=corpus-profile; dict=json.dict ;;
  *) echo "unknown fuzz target '$target' (reader, repair, quality, triangulation, heal, profile or page)" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
fuzzer=${FUZZER:-$here/../build/fuzz/fuzz/vdacheck_fuzz_$target}
if [ ! -x "$fuzzer" ]; then
  echo "no fuzzer at $fuzzer: build it with: cmake --preset fuzz && cmake --build --preset fuzz" >&2
  exit 2
fi
artifacts=${FUZZ_ARTIFACTS:-$here/../build/fuzz-artifacts}
mkdir -p "$artifacts"
artifacts=$(cd "$artifacts" && pwd)
rm -f "$artifacts/$target"-*
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
max_len=8192
case "$target" in
  triangulation) cp "$here"/loops/* "$work/corpus"; max_len=512 ;;
  quality) cp "$here"/corpus/* "$work/corpus"; cp "$here"/../tests/data/*.vda "$here"/../tests/data/samples/*.vda "$work/corpus" ;;
  *) cp "$here/$corpus"/* "$work/corpus" ;;
esac
cd "$work"
status=0
"$fuzzer" ${FUZZ_SEED:+-seed="$FUZZ_SEED"} -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/$dict" -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$work/corpus" || status=$?
if [ "$status" -ne 0 ]; then
  for found in "$artifacts/$target"-*; do
    [ -f "$found" ] || continue
    echo "failing input $found, in base64:"
    base64 -w 0 "$found"
    echo
  done
fi
exit "$status"
