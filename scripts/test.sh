#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs every test:
# the whole suite, the sound-engine tests again under ThreadSanitizer and AddressSanitizer,
# and a short run of each fuzz target.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
bash "$top/scripts/setup-debian.sh"

echo "== build and run all tests"
cmake -S "$top" -B "$top/build-ci" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAPT_WERROR=ON > /dev/null
cmake --build "$top/build-ci" -j "$jobs"
(cd "$top/build-ci" && ctest --output-on-failure -j "$jobs")

for san in thread address; do
    echo "== sound-engine tests under the $san sanitizer"
    dir="$top/build-$san"
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAPT_WERROR=ON \
          -DZAPT_SANITIZE="$san" -DZAPT_BUILD_BENCH=OFF > /dev/null
    targets=$(cd "$dir" && ctest -N -L engine | sed -n 's/^ *Test *#[0-9]*: //p')
    # shellcheck disable=SC2086
    cmake --build "$dir" -j "$jobs" --target $targets
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$top/tests/tsan.supp"
    export ASAN_OPTIONS="detect_leaks=1 halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp"
    (cd "$dir" && ctest --output-on-failure -L engine)
done

# Every reader of bytes from outside, fuzzed for a short while (the same script runs them for
# ten minutes each when called on its own).
FUZZ_SECONDS=20 bash "$top/scripts/fuzz-long.sh"
echo "== all tests passed"
