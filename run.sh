#!/bin/sh
# Builds the program and starts it on the demo configuration database that
# the build writes beside it. Without a display it runs under Xvfb, saves a
# screenshot of the window and ends.
set -eu
cd "$(dirname "$0")"
root=$(pwd)

./scripts/install-deps.sh run

cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELTA_BUILD_TESTS=OFF -DQUELTA_BUILD_BENCHMARKS=OFF
cmake --build build/run -j "$(nproc)"

# The program reads ../QUELTA4.ini from its working directory; started from
# its own folder it finds none there and opens database/configuration.sqlite3
# beside itself.
program_dir="$root/build/run/src/app"
cd "$program_dir"

if [ -n "${DISPLAY:-}" ]; then
    exec ./Corvane "$@"
fi

screenshot="$root/build/run/corvane-window.png"
rm -f "$screenshot"
export screenshot
# shellcheck disable=SC2016 # expanded by the inner shell
xvfb-run -a --server-args="-screen 0 1280x720x24" sh -c '
    ./Corvane "$@" &
    program=$!
    # The window is mapped once its title is known to the X server; give it a
    # moment to draw its first frames.
    tries=0
    until xwininfo -root -tree | grep -q "\"Corvane - v"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$program" 2>/dev/null; then
            echo "The window did not appear." >&2
            kill "$program" 2>/dev/null || true
            exit 1
        fi
        sleep 0.2
    done
    sleep 2
    import -window root "$screenshot"
    kill "$program"
    wait "$program" 2>/dev/null || true
' corvane "$@"
echo "No display: the program ran under Xvfb. Screenshot of its window: $screenshot"
