#!/bin/sh
# Builds the project twice (optimised, and with ASan + UBSan) and runs every
# test of both builds inside a private network namespace, then the benchmarks.
set -eu
cd "$(dirname "$0")"

./scripts/install-deps.sh test
./scripts/check-peers.sh

jobs=$(nproc)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELTA_BUILD_TESTS=ON -DQUELTA_BUILD_BENCHMARKS=ON
cmake --build build/release -j "$jobs"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DQUELTA_SANITIZE=ON -DQUELTA_BUILD_TESTS=ON -DQUELTA_BUILD_BENCHMARKS=OFF
cmake --build build/asan -j "$jobs"

exec ./scripts/in-private-network.sh ./scripts/run-tests.sh build/release build/asan
