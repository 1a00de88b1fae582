#!/bin/sh
# Builds the project twice (optimised, and with ASan + UBSan) and the tests
# labelled "threads" a third time with ThreadSanitizer, runs every test of
# these builds inside a private network namespace, then the benchmarks.
set -eu
cd "$(dirname "$0")"

./scripts/install-deps.sh test
./scripts/check-peers.sh

jobs=$(nproc)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELTA_BUILD_TESTS=ON -DQUELTA_BUILD_BENCHMARKS=ON
cmake --build build/release -j "$jobs"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DQUELTA_SANITIZE=ON -DQUELTA_BUILD_TESTS=ON -DQUELTA_BUILD_BENCHMARKS=OFF
cmake --build build/asan -j "$jobs"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELTA_SANITIZE_THREAD=ON -DQUELTA_BUILD_TESTS=ON -DQUELTA_BUILD_BENCHMARKS=OFF
cmake --build build/tsan -j "$jobs" --target quelta_thread_tests

exec ./scripts/in-private-network.sh ./scripts/run-tests.sh build/release build/asan build/tsan
