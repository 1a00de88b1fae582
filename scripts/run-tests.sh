#!/bin/sh
# Runs ctest for each given build directory, then the benchmark programs of
# the first. A ThreadSanitizer build runs only its tests labelled "threads".
# Called by test.sh inside the private network namespace.
set -eu

if [ "${QUELTA_PRIVATE_NETWORK:-}" != 1 ]; then
    echo "run-tests.sh must run inside scripts/in-private-network.sh" >&2
    exit 1
fi

root=$(cd "$(dirname "$0")/.." && pwd)
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Qt and libc are not built with ThreadSanitizer: their internal locks are
# invisible to it, so only accesses from our own code are judged. Our code
# orders what it hands to other threads by locks and atomics that it sees.
TSAN_OPTIONS="halt_on_error=1:ignore_noninstrumented_modules=1"
export ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS

jobs=$(nproc)
for build in "$@"; do
    echo "== tests of $build"
    selection=""
    if grep -q '^QUELTA_SANITIZE_THREAD:BOOL=ON$' "$build/CMakeCache.txt"; then
        selection="-L threads"
    fi
    # Unquoted: $selection is empty or two words.
    xvfb-run -a --server-args="-screen 0 1280x1024x24" \
        ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$jobs" $selection
done

first=$1
if [ -d "$first/bench" ]; then
    for program in "$first"/bench/*/bench_*; do
        [ -f "$program" ] && [ -x "$program" ] || continue
        echo "== $(basename "$program")"
        "$program"
    done
fi
