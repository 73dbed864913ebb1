#!/usr/bin/env bash
# Exit benchmark (run by hand): how long the staged program takes to end once File > Exit is chosen,
# with the main window idle and again after converting a file. Runs under a virtual X display and drives
# the window with keystrokes, as tests/e2e/conversion_run.sh does.
#
#     bench/exit_time.sh <build dir> [rounds]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
rounds=${2:-5}
if [ "${3:-}" != "--on-display" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$rounds" --on-display
fi

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/config" "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
cp -r "$build/Quenzor" "$work/Quenzor"
prog="$work/Quenzor"
"$prog/real_basic.exe" --silent
mkdir "$work/media"
ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=10 -f lavfi -i sine=frequency=440:duration=10 \
    -c:v mpeg4 -c:a libmp3lame "$work/media/clip.avi"

# Starts the program, converts the clip when asked to, chooses File > Exit; prints milliseconds from the
# menu choice to the end of the process.
measure() {
    rm -f "$work/media/clip.rm"
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent QT_QPA_PLATFORM=xcb "$prog/quenzor" &
    pid=$!
    local main
    main=$(xdotool search --sync --onlyvisible --name "^Vastrel Quenzor$" | head -n1)
    xdotool windowfocus --sync "$main"
    sleep 1
    if [ "$1" = run ]; then
        xdotool key F2
        local dialog=""
        for _ in $(seq 50); do
            dialog=$(xdotool search --onlyvisible --pid "$pid" --name "." | grep -v "^$main$" | head -n1 || true)
            [ -n "$dialog" ] && break
            sleep 0.2
        done
        xdotool windowfocus --sync "$dialog"
        sleep 0.5
        xdotool type --delay 5 "$work/media/"
        xdotool key Return
        sleep 0.5
        xdotool type --delay 5 '"clip.avi"'
        xdotool key Return
        sleep 1
        xdotool windowfocus --sync "$main"
        xdotool key F5
        for _ in $(seq 120); do
            [ -f "$work/media/clip.rm" ] && break
            sleep 0.25
        done
        sleep 2  # the run's last tick
        xdotool windowfocus --sync "$main"
    fi
    xdotool mousemove --window "$main" 15 10 click 1
    sleep 0.5
    xdotool key Up
    sleep 0.2
    local start end
    start=$(date +%s%N)
    xdotool key Return
    while kill -0 "$pid" 2>/dev/null; do
        sleep 0.002
    done
    end=$(date +%s%N)
    wait "$pid" || true
    pid=""
    echo $(((end - start) / 1000000))
}

for kind in idle run; do
    times=()
    for _ in $(seq "$rounds"); do
        times+=("$(measure "$kind")")
    done
    sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p")
    echo "exit, main window $kind: median ${median} ms of ${rounds} (${sorted% }) (goal 300 ms at most)"
done
