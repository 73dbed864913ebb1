#!/usr/bin/env bash
# End to end: the staged program, started under a virtual X display and driven with keystrokes as a user
# would drive it, adds three real source files, converts them with the built-in encoder and exits. Every
# result must be RealMedia that FFmpeg, GStreamer, MPlayer and VLC play whole, carrying the jobs' clip
# information.
# Nothing may sound or power off: both completion toggles start released, and the system bus is out of
# reach besides.
#
#     tests/e2e/conversion_run.sh <build dir>
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
readers=$(cd "$(dirname "$0")/../readers" && pwd)
if [ "${2:-}" != "--on-display" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" --on-display
fi

for tool in xdotool ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 1; }
done

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Qt keeps the file dialog's state under the user's configuration: here that is the scratch folder.
mkdir -m 700 "$work/config" "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
# The program's visible windows other than the main one, by name: the dialogs and message boxes open.
other_windows() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$pid" --name "." 2>/dev/null || true); do
        [ "$id" = "${main:-}" ] || echo "$id $(xdotool getwindowname "$id" 2>/dev/null || true)"
    done
}
fail() {
    echo "FAIL: $*"
    if [ -n "$pid" ]; then
        echo "open windows besides the main one: $(other_windows | cut -d' ' -f2- | paste -sd, -)"
        echo "temporary folder: $(ls -A "$work/temp" 2>/dev/null | paste -sd, -)"
    fi
    exit 1
}

# A private copy of the program directory with the encoder registered and known settings.
cp -r "$build/Quenzor" "$work/Quenzor"
prog="$work/Quenzor"
"$prog/real_basic.exe" --silent
mkdir "$work/media" "$work/temp"
cat >"$prog/data.ini" <<INI
[option]
Title=Run Title
Auther=Run Author
Copyright=Run Copyright
Keywords=run keywords
Description=Run description
TempDirectory=$work/temp
INI

media="$work/media"
ffmpeg -v error -f lavfi -i testsrc2=size=160x120:rate=15:duration=6 -f lavfi -i sine=frequency=440:duration=6 \
    -c:v mpeg4 -c:a pcm_s16le "$media/first.avi"
ffmpeg -v error -f lavfi -i testsrc2=size=176x144:rate=12:duration=6 -f lavfi -i sine=frequency=660:duration=6 \
    "$media/second.mov"
ffmpeg -v error -f lavfi -i sine=frequency=330:duration=6 -ar 22050 "$media/third.wav"

DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent QT_QPA_PLATFORM=xcb "$prog/quenzor" &
pid=$!

main=$(xdotool search --sync --onlyvisible --name "^Vastrel Quenzor$" | head -n1)
[ -n "$main" ] || fail "the main window did not appear"
xdotool windowfocus --sync "$main"
sleep 0.5

# File > Add File (F2), once for each file: the open-file dialog takes its whole path. (Several quoted
# names in one go are not used: Qt's dialog returns the names selected in its listing, which it fills in
# the background, so on a busy machine it can hand back only some of them.)
add_file() {
    local dialog="" deadline
    xdotool windowfocus --sync "$main"
    xdotool key F2
    for _ in $(seq 100); do
        dialog=$(other_windows | head -n1 | cut -d' ' -f1)
        [ -n "$dialog" ] && break
        sleep 0.2
    done
    [ -n "$dialog" ] || fail "the open-file dialog did not appear"
    # A key pressed while the dialog is still open goes to a window that takes no input and is lost. Keys
    # typed while a slow (sanitized, busy) dialog is still setting up can be lost too, so a dialog that stays
    # open has its name typed again over what it holds.
    for attempt in 1 2 3; do
        [ -n "$(other_windows)" ] || break
        [ "$attempt" -eq 1 ] || echo "the open-file dialog stayed open; typing $1 again"
        xdotool windowfocus --sync "$dialog" || break
        sleep 0.5
        xdotool key ctrl+a
        xdotool type --delay 5 "$1"
        xdotool key Return
        deadline=$((SECONDS + 20 * attempt))
        while [ -n "$(other_windows)" ] && [ "$SECONDS" -lt "$deadline" ]; do
            sleep 0.2
        done
    done
    [ -z "$(other_windows)" ] || fail "the open-file dialog did not close for $1"
    sleep 0.5
}
for name in first.avi second.mov third.wav; do
    add_file "$media/$name"
done

# Control > Converter (F5), then wait for the three results.
xdotool windowfocus --sync "$main"
xdotool key F5
deadline=$((SECONDS + 200))
while [ "$(find "$media" -name '*.rm' | wc -l)" -lt 3 ] && [ "$SECONDS" -lt "$deadline" ]; do
    kill -0 "$pid" 2>/dev/null || fail "the program ended during the run"
    sleep 0.5
done
sleep 2  # the run's last tick
for name in first second third; do
    out="$media/$name.rm"
    [ -f "$out" ] || fail "$out was not written"
    errors=$(ffmpeg -v error -i "$out" -f null - 2>&1) || fail "ffmpeg cannot decode $out"
    [ -z "$errors" ] || fail "decoding $out reports: $errors"
    # The default settings make SureStream files: FFmpeg, GStreamer, MPlayer and VLC must each play them
    # whole.
    want=av
    [ "$name" = third ] && want=a
    source=$(find "$media" -name "$name.*" ! -name '*.rm')
    seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$source")
    "$readers/check_readers.sh" "$out" "$seconds" "$want" || fail "a player cannot read $out whole"
    tags=$(ffprobe -v error -show_entries format=format_name:format_tags=title,author,copyright,comment \
        -of default=noprint_wrappers=1 "$out")
    for want in "format_name=rm" "TAG:title=Run Title" "TAG:author=Run Author" "TAG:copyright=Run Copyright" \
        "TAG:comment=Run description"; do
        grep -qx "$want" <<<"$tags" || fail "$out lacks $want (has: $tags)"
    done
    grep -q "run keywords" "$out" || fail "$out lacks the keywords"
done
leftovers=$(find "$media" "$work/temp" -type f ! -name '*.avi' ! -name '*.mov' ! -name '*.wav' ! -name '*.rm')
[ -z "$leftovers" ] || fail "files left behind: $leftovers"

# File > Exit through the menu: the window closes, the settings are saved and the program ends.
xdotool windowfocus --sync "$main"
xdotool mousemove --window "$main" 15 10 click 1
sleep 0.5
xdotool key Up Return
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
    fail "the program did not end after Exit"
fi
wait "$pid" || fail "the program ended with status $?"
pid=""
grep -q "^MaxConverFile=" "$prog/data.ini" || fail "the settings were not saved at exit"
echo "PASS: three files converted, decoded and tagged; the program exited cleanly"
