#!/usr/bin/env bash
# Plays a RealMedia file through four independent readers and fails unless each of them reads it
# whole: FFmpeg (ffprobe, ffmpeg, and seeks to ten points), GStreamer (gst-discoverer-1.0 and
# gst_check.py beside this script), MPlayer's and VLC's own RealMedia demuxers. The players that show
# one picture of a multi-rate file (GStreamer's playbin, VLC) must show the largest.
#
# usage: check_readers.sh FILE SECONDS WANT
#   FILE     the .rm file
#   SECONDS  the source's duration
#   WANT     av, a or v: the kinds of streams the file must carry
#
# Every failure is printed as "READER: what failed"; the exit status is 1 if there was any, 2 for a
# usage error. Needs ffmpeg, gstreamer1.0-tools, gstreamer1.0-plugins-base, gstreamer1.0-plugins-ugly,
# gstreamer1.0-libav, python3-gi with gir1.2-gstreamer-1.0, mplayer, vlc-bin and vlc-plugin-base.
set -u

if [ $# -ne 3 ] || [ ! -f "$1" ] || ! [[ "$3" =~ ^(av|a|v)$ ]]; then
    sed -n '7,10p' "$0" >&2
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

# The longest picture interval of the file: a picture stream may last up to one picture longer than
# its source (a slide show's picture is a whole second).
picture=$(ffprobe -v error -select_streams v -show_entries stream=r_frame_rate -of csv=p=0 "$file" 2>/dev/null |
    awk -F/ '$1 > 0 && $2 > 0 && (!p || $2 / $1 > p) { p = $2 / $1 } END { printf "%.3f", p }')
# True when $1 (seconds) is within 2 % of the source's duration, one picture or 50 ms (an audio frame)
# ("near"), or reaches at least 98 % of it ("reaches").
near() {
    awk -v x="$1" -v d="$seconds" -v p="$picture" \
        'BEGIN { s = d * 0.02; if (p > s) s = p; if (s < 0.05) s = 0.05; exit !(x >= d - s && x <= d + s) }'
}
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
# A player built on FFmpeg seeks: at ten points over the file, the streams ffmpeg chooses by default
# each give a frame within half a second (or one and a half pictures) of the point. ffmpeg shows no
# picture that starts before the point, so the points end one picture before the end.
window=$(awk -v p="$picture" 'BEGIN { w = 1.5 * p; printf "%.3f", (w > 0.5 ? w : 0.5) }')
for i in 1 2 3 4 5 6 7 8 9 10; do
    at=$(awk -v d="$seconds" -v p="$picture" -v i="$i" 'BEGIN { printf "%.3f", (d - p) * (i - 0.5) / 10 }')
    ffmpeg -nostdin -v error -ss "$at" -i "$file" -t "$window" -f framecrc - >"$work/seek" 2>"$work/seek.err"
    if [ -s "$work/seek.err" ]; then
        fail "ffmpeg seek" "to $at s: $(head -c 200 "$work/seek.err" | tr '\n' ' ')"
        continue
    fi
    for kind in a v; do
        wants $kind || continue
        frames=$(awk -F', *' -v kind=$kind '
            /^#media_type/ { split($0, m, "[ :]+"); type[m[2]] = m[3]; next }
            /^[0-9]/ { n[$1]++ }
            END { for (s in n) if (substr(type[s], 1, 1) == kind) c += n[s]; print c + 0 }' "$work/seek")
        [ "$frames" -gt 0 ] || fail "ffmpeg seek" "to $at s: no $([ $kind = a ] && echo audio || echo video)"
    done
done

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
# Its ID_LENGTH is whole seconds; the length it plays is measured below from what it writes and shows.
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

# ---- VLC -------------------------------------------------------------------------------------------
# Its own RealMedia demuxer, at thirty times the speed: it must read to the end of the file without an
# error line, and show the largest picture the file holds. VLC refuses to run as root.
largest=$(ffprobe -v error -select_streams v -show_entries stream=width,height -of csv=p=0 "$file" |
    awk -F, '$1 * $2 > best { best = $1 * $2; size = $1 "x" $2 } END { print size }')
mkdir -m 755 "$work/vlc"
cp "$file" "$work/vlc/file.rm"
chmod 644 "$work/vlc/file.rm"
vlc_cmd=(cvlc -I dummy --no-one-instance --demux=real --vout=dummy --aout=dummy --rate=30 --play-and-exit
    --verbose=2 "$work/vlc/file.rm")
if [ "$(id -u)" -eq 0 ]; then
    chmod 711 "$work"
    chown nobody:nogroup "$work/vlc"
    vlc_cmd=(setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env -- env HOME="$work/vlc"
        PATH="$PATH" "${vlc_cmd[@]}")
else
    vlc_cmd=(env HOME="$work/vlc" "${vlc_cmd[@]}")
fi
timeout 120 "${vlc_cmd[@]}" </dev/null >"$work/vlc.log" 2>&1
if ! grep -q "demux \`real' path" "$work/vlc.log" || ! grep -q 'successfully opened' "$work/vlc.log"; then
    fail vlc "its RealMedia demuxer does not open the file: $(grep -m1 ' error: ' "$work/vlc.log")"
else
    # Errors of the session bus and the interfaces a plain command line lacks are not the file's.
    grep -E ' error: |Timestamp conversion failed|unknown track' "$work/vlc.log" |
        grep -v -E 'dbus|interface|D-Bus' | sort -u | head -5 >"$work/vlc.bad"
    while IFS= read -r line; do
        fail vlc "says: ${line#*] }"
    done <"$work/vlc.bad"
    grep -q 'main input debug: EOF reached' "$work/vlc.log" || fail vlc "does not read to the end"
    if wants v; then
        shown=$(sed -n 's/.*original format sz .*, vsz \([0-9]*x[0-9]*\),.*/\1/p' "$work/vlc.log" | head -1)
        [ "$shown" = "$largest" ] || fail vlc "shows a ${shown:-no} picture, the file holds $largest"
    fi
    if wants a; then
        grep -q "main decoder debug: killing decoder fourcc \`\(a52 \|14_4\|cook\)'" "$work/vlc.log" ||
            fail vlc "plays no audio"
    fi
fi

if [ $failures -ne 0 ]; then
    echo "$file: $failures reader check(s) failed"
    exit 1
fi
echo "$file: FFmpeg, GStreamer, MPlayer and VLC read it whole"
