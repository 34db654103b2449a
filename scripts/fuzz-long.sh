#!/usr/bin/env bash
# Runs every fuzz target for a while (10 minutes each unless FUZZ_SECONDS says
# otherwise), each from the seeds the build makes plus what earlier runs kept in
# build-fuzz/corpus. A finding is written to build-fuzz/findings and stops the script.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-600}
dir="$top/build-fuzz"
targets="taginfo option colorpattern textlist midi sniffer replaygain wildcard lyrics cuesheet"

cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DZAPT_FUZZ=ON -DZAPT_BUILD_BENCH=OFF > /dev/null
# shellcheck disable=SC2046
cmake --build "$dir" -j "$(nproc)" --target fuzz_seeds fuzz_taginfo_seeds \
      $(for t in $targets; do echo "fuzz_$t"; done)
mkdir -p "$dir/findings"
for t in $targets; do
    echo "== fuzz_$t, $seconds s"
    corpus="$dir/corpus/$t"
    mkdir -p "$corpus"
    if [ "$t" = taginfo ]; then
        "$dir/tests/fuzz/fuzz_taginfo_seeds" "$corpus"
    else
        "$dir/tests/fuzz/fuzz_seeds" "$t" "$corpus"
    fi
    "$dir/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$dir/findings/$t-" "$corpus"
done
echo "== no findings"
