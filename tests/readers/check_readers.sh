#!/usr/bin/env bash
# Plays a RealMedia file through three independent readers and fails unless each of them reads it
# whole: FFmpeg (ffprobe, ffmpeg), GStreamer (gst-discoverer-1.0 and gst_check.py beside this script)
# and MPlayer's own RealMedia demuxer.
#
# usage: check_readers.sh FILE SECONDS WANT
#   FILE     the .rm file
#   SECONDS  the source's duration
#   WANT     av, a or v: the kinds of streams the file must carry
#
# Every failure is printed as "READER: what failed"; the exit status is 1 if there was any, 2 for a
# usage error. Needs ffmpeg, gstreamer1.0-tools, gstreamer1.0-plugins-base, gstreamer1.0-plugins-ugly,
# gstreamer1.0-libav, python3-gi with gir1.2-gstreamer-1.0, and mplayer.
set -u

if [ $# -ne 3 ] || [ ! -f "$1" ] || ! [[ "$3" =~ ^(av|a|v)$ ]]; then
    sed -n '6,9p' "$0" >&2
    exit 2
fi
file=$1
seconds=$2
want=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "$1: $2"
    failures=$((failures + 1))
}

# True when $1 (seconds) is within 2 % of the source's duration ("near") or reaches at least 98 %
# of it ("reaches").
near() { awk -v x="$1" -v d="$seconds" 'BEGIN { exit !(x >= d * 0.98 && x <= d * 1.02) }'; }
reaches() { awk -v x="$1" -v d="$seconds" 'BEGIN { exit !(x >= d * 0.98) }'; }

wants() { [[ "$want" == *"$1"* ]]; }

# ---- FFmpeg ----------------------------------------------------------------------------------------
if ! ffprobe -v error -show_entries stream=index,codec_type -of csv=p=0 "$file" \
        >"$work/probe" 2>"$work/probe.err" || [ -s "$work/probe.err" ]; then
    fail ffprobe "cannot read the file: $(head -c 300 "$work/probe.err")"
else
    wants a && ! grep -q ',audio$' "$work/probe" && fail ffprobe "no audio stream"
    wants v && ! grep -q ',video$' "$work/probe" && fail ffprobe "no video stream"
fi
# One pass decodes every audio and video stream; framecrc lists each frame with its output stream,
# time and duration (in the "#tb" time base of that stream).
if ! ffmpeg -nostdin -v error -i "$file" -map '0:a?' -map '0:v?' -f framecrc - \
        >"$work/crc" 2>"$work/ffmpeg.err" || [ -s "$work/ffmpeg.err" ]; then
    fail ffmpeg "decoding reports: $(head -c 300 "$work/ffmpeg.err" | tr '\n' ' ')"
fi
awk -F', *' '
    /^#tb/ { split($0, a, "[ :/]+"); num[a[2]] = a[3]; den[a[2]] = a[4]; next }
    /^[0-9]/ { e = ($3 + $4) * num[$1] / den[$1]; if (e > end[$1]) end[$1] = e }
    END { for (s in num) printf "%s %.3f\n", s, end[s] + 0 }' "$work/crc" >"$work/ends"
while read -r stream end; do
    reaches "$end" || fail ffmpeg "output stream $stream decodes only to $end s of $seconds s"
done <"$work/ends"

# ---- GStreamer -------------------------------------------------------------------------------------
gst-discoverer-1.0 -v "$file" >"$work/disc" 2>&1
duration=$(sed -n 's/^ *Duration: \([0-9]*\):\([0-9]*\):\([0-9.]*\)$/\1 \2 \3/p' "$work/disc" |
    head -1 | awk '{ printf "%.3f", $1 * 3600 + $2 * 60 + $3 }')
if [ -z "$duration" ]; then
    fail gst-discoverer "no duration: $(grep -m1 -i -E 'error|warning' "$work/disc")"
elif ! near "$duration"; then
    fail gst-discoverer "duration $duration s, the source has $seconds s"
fi
grep -q '^ *Seekable: yes' "$work/disc" || fail gst-discoverer "the file is not seekable"
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
"$python" "$here/gst_check.py" "$file" "$seconds" "$want" >"$work/gst" 2>&1
status=$?
while IFS= read -r line; do
    fail gstreamer "${line#gstreamer: }"
done < <(grep '^gstreamer: ' "$work/gst")
if [ $status -ne 0 ] && ! grep -q '^gstreamer: ' "$work/gst"; then
    fail gstreamer "the check did not run: $(tail -c 300 "$work/gst")"
fi

# ---- MPlayer ---------------------------------------------------------------------------------------
timeout 120 mplayer -noconfig all -nolirc -nomouseinput -demuxer real -benchmark -identify \
    -vo null -ao pcm:fast:file="$work/mplayer.wav" "$file" </dev/null >"$work/mplayer" 2>&1
tr '\r' '\n' <"$work/mplayer" >"$work/mplayer.log"
mp_id() { sed -n "s/^$1=//p" "$work/mplayer.log" | tail -1; }
length=$(mp_id ID_LENGTH)
if [ -z "$length" ] || ! near "$length"; then
    fail mplayer "length ${length:-unknown}, the source has $seconds s"
fi
# The demuxer's and decoders' complaints that mean lost or damaged data.
grep -E -i 'No (video|audio) stream found|will be played|not found|bad packet|BUG!!|WARNING: vpkg|chunktab|Something went wrong|can.t find|please report|Too many streams|out of range|Invalid (audio|video)|error' \
    "$work/mplayer.log" | sort -u | head -5 >"$work/mplayer.bad"
while IFS= read -r line; do
    fail mplayer "says: $line"
done <"$work/mplayer.bad"
shown=$(sed -n 's/^A: *\([0-9.]*\) V: *\([0-9.]*\) .*/\1 \2/p; s/^V: *\([0-9.]*\) .*/- \1/p' \
    "$work/mplayer.log" | tail -1)
if wants a; then
    if [ -z "$(mp_id ID_AUDIO_CODEC)" ]; then
        fail mplayer "plays no audio"
    else
        # Seconds written: the data after the 44-byte header, at the header's byte rate.
        played=$(od -An -tu4 -j28 -N4 "$work/mplayer.wav" 2>/dev/null | awk -v bytes="$(stat -c %s \
            "$work/mplayer.wav" 2>/dev/null || echo 44)" '{ r = $1 } END { printf "%.3f", r ? (bytes - 44) / r : 0 }')
        near "$played" || fail mplayer "plays $played s of audio of $seconds s"
    fi
fi
if wants v; then
    if [ -z "$(mp_id ID_VIDEO_CODEC)" ]; then
        fail mplayer "plays no video"
    else
        shown=${shown#* }
        # The last picture starts one frame before the end.
        reaches "$(awk -v v="${shown:-0}" -v f="$(mp_id ID_VIDEO_FPS)" 'BEGIN { print v + 1 / (f > 0 ? f : 25) }')" ||
            fail mplayer "shows video only to ${shown:-0} s of $seconds s"
    fi
fi

if [ $failures -ne 0 ]; then
    echo "$file: $failures reader check(s) failed"
    exit 1
fi
echo "$file: FFmpeg, GStreamer and MPlayer read it whole"
