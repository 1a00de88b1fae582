#!/bin/sh
# Builds the program and starts it.
set -eu
cd "$(dirname "$0")"

./scripts/install-deps.sh run

cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELTA_BUILD_TESTS=OFF -DQUELTA_BUILD_BENCHMARKS=OFF
cmake --build build/run -j "$(nproc)"

program=build/run/src/app/quelta-chamber-search
if [ ! -x "$program" ]; then
    echo "The libraries are built; the program has no window yet."
    exit 0
fi
exec "$program" "$@"
