#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs every test:
# the whole suite, again under AddressSanitizer with UndefinedBehaviorSanitizer, the
# sound-engine tests under ThreadSanitizer, and a short run of each fuzz target.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
bash "$top/scripts/setup-debian.sh"
# Paths below the checkout count relative to it, so a fresh clone finds what an earlier one
# compiled in ccache.
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1

echo "== build and run all tests"
cmake -S "$top" -B "$top/build-ci" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAPT_WERROR=ON > /dev/null
cmake --build "$top/build-ci" -j "$jobs"
(cd "$top/build-ci" && ctest --output-on-failure -j "$jobs")

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$top/tests/tsan.supp"
export ASAN_OPTIONS="detect_leaks=1 halt_on_error=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"
# sanitizer, build folder, CTest label (empty: every test)
for run in "address,undefined address" "thread thread engine"; do
    read -r san name label <<< "$run"
    echo "== ${label:-all} tests under $san"
    dir="$top/build-$name"
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAPT_WERROR=ON \
          -DZAPT_SANITIZE="$san" -DZAPT_BUILD_BENCH=OFF > /dev/null
    if [ -n "$label" ]; then
        targets=$(cd "$dir" && ctest -N -L "$label" | sed -n 's/^ *Test *#[0-9]*: //p')
        # shellcheck disable=SC2086
        cmake --build "$dir" -j "$jobs" --target $targets
        (cd "$dir" && ctest --output-on-failure -L "$label")
    else
        cmake --build "$dir" -j "$jobs"
        (cd "$dir" && ctest --output-on-failure -j "$jobs")
    fi
done

# Every reader of bytes from outside, fuzzed for a short while (the same script runs them for
# ten minutes each when called on its own).
FUZZ_SECONDS=20 bash "$top/scripts/fuzz-long.sh"
echo "== all tests passed"
