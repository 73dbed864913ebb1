#!/usr/bin/env python3
"""GStreamer part of check_readers.sh: decodes every stream of a RealMedia file, plays it the way a
GStreamer player would (playbin), which must show the largest picture, and seeks to the middle.

usage: gst_check.py FILE SECONDS WANT      (WANT: av, a or v)

Prints one line per failure, "gstreamer: <what>", and exits 1 if there was any; needs PyGObject
with GStreamer 1.x (Debian: python3-gi, gir1.2-gstreamer-1.0).
"""
import os
import sys
import time

import gi

gi.require_version('Gst', '1.0')
from gi.repository import GLib, Gst  # noqa: E402

TIMEOUT = 30.0        # seconds of wall time for one run, far above what a healthy file needs
KEYFRAME_GAP = 5.0    # the writer's files have a keyframe at least every 5 s


def run_until(pipeline, done, timeout=TIMEOUT):
    """Runs the pipeline's bus until done(message) says stop; returns (message or None, errors)."""
    bus = pipeline.get_bus()
    errors = []
    deadline = time.monotonic() + timeout
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            return None, errors
        msg = bus.timed_pop(int(left * Gst.SECOND))
        if msg is None:
            return None, errors
        if msg.type == Gst.MessageType.ERROR:
            err, dbg = msg.parse_error()
            errors.append(f'{msg.src.get_name()}: {err.message}')
            return msg, errors
        if msg.type == Gst.MessageType.WARNING:
            err, dbg = msg.parse_warning()
            errors.append(f'warning from {msg.src.get_name()}: {err.message}')
        if done(msg):
            return msg, errors


class Ends:
    """Earliest and latest buffer time seen on each of a set of pads or sinks, and the picture sizes."""

    def __init__(self):
        self.first = {}
        self.last = {}
        self.size = {}

    def add_size(self, key, pad):
        caps = pad.get_current_caps()
        if key not in self.size and caps:
            s = caps.get_structure(0)
            ok_w, w = s.get_int('width')
            ok_h, h = s.get_int('height')
            if ok_w and ok_h:
                self.size[key] = (w, h)

    def add(self, key, buf):
        if buf.pts == Gst.CLOCK_TIME_NONE:
            return
        start = buf.pts / Gst.SECOND
        end = start + (buf.duration / Gst.SECOND if buf.duration != Gst.CLOCK_TIME_NONE else 0)
        self.first.setdefault(key, start)
        self.last[key] = max(self.last.get(key, 0.0), end)


def decode_all(uri, seconds, problems):
    """Every audio and video stream decodebin exposes must decode to within 2 % of the end."""
    pipeline = Gst.Pipeline.new('all')
    src = Gst.ElementFactory.make('uridecodebin', 'src')
    src.set_property('uri', uri)
    pipeline.add(src)
    ends = Ends()
    kinds = {}

    def on_pad(_, pad):
        caps = pad.get_current_caps() or pad.query_caps(None)
        name = caps.get_structure(0).get_name()
        kind = 'audio' if name.startswith('audio/') else 'video' if name.startswith('video/') else None
        if kind is None:
            return
        key = f'{kind} {pad.get_name()}'
        kinds[key] = kind
        queue = Gst.ElementFactory.make('queue')
        conv = Gst.ElementFactory.make('audioconvert' if kind == 'audio' else 'videoconvert')
        sink = Gst.ElementFactory.make('fakesink')
        sink.set_property('sync', False)
        sink.set_property('signal-handoffs', True)
        sink.connect('handoff', lambda s, buf, p: (ends.add(key, buf), ends.add_size(key, p)))
        for e in (queue, conv, sink):
            pipeline.add(e)
        queue.link(conv)
        conv.link(sink)
        for e in (queue, conv, sink):
            e.sync_state_with_parent()
        pad.link(queue.get_static_pad('sink'))

    src.connect('pad-added', on_pad)
    pipeline.set_state(Gst.State.PLAYING)
    msg, errors = run_until(pipeline, lambda m: m.type == Gst.MessageType.EOS)
    pipeline.set_state(Gst.State.NULL)
    for e in errors:
        problems.append(f'full decode: {e}')
    if msg is None:
        problems.append('full decode did not reach the end (timed out)')
    if not kinds:
        problems.append('full decode: no audio or video stream')
    for key in sorted(kinds):
        end = ends.last.get(key, 0.0)
        if end < seconds * 0.98:
            problems.append(f'full decode: {key} stops at {end:.2f} s of {seconds:.2f} s')
    sizes = [ends.size[k] for k in kinds if k in ends.size]
    return kinds, max(sizes, key=lambda wh: wh[0] * wh[1]) if sizes else None


def make_player(uri):
    player = Gst.ElementFactory.make('playbin', 'player')
    player.set_property('uri', uri)
    ends = Ends()
    sinks = {}
    for kind in ('audio', 'video'):
        sink = Gst.ElementFactory.make('fakesink', f'{kind}sink')
        sink.set_property('sync', False)
        sink.set_property('signal-handoffs', True)
        sink.connect('handoff', lambda s, buf, p, k=kind: (ends.add(k, buf), ends.add_size(k, p)))
        player.set_property(f'{kind}-sink', sink)
        sinks[kind] = sink
    return player, ends


def play(uri, seconds, wanted, largest, problems):
    """What a GStreamer player plays: every wanted kind, from the start to within 2 % of the end, and
    the largest picture of the file."""
    player, ends = make_player(uri)
    player.set_state(Gst.State.PLAYING)
    msg, errors = run_until(player, lambda m: m.type == Gst.MessageType.EOS)
    player.set_state(Gst.State.NULL)
    for e in errors:
        problems.append(f'playback: {e}')
    if msg is None:
        problems.append('playback did not reach the end (timed out)')
    for kind in wanted:
        end = ends.last.get(kind)
        if end is None:
            problems.append(f'playback: no {kind}')
        elif end < seconds * 0.98:
            problems.append(f'playback: {kind} stops at {end:.2f} s of {seconds:.2f} s')
    shown = ends.size.get('video')
    if 'video' in wanted and largest and shown != largest:
        problems.append(f'playback: shows a {shown} picture, the file holds {largest}')


def seek_middle(uri, seconds, wanted, problems):
    """A key-unit seek to the middle must land less than one keyframe interval from it."""
    player, ends = make_player(uri)
    player.set_state(Gst.State.PAUSED)
    msg, errors = run_until(player, lambda m: m.type == Gst.MessageType.ASYNC_DONE)
    if msg is None or errors:
        problems.append('seek: the file does not preroll ' + '; '.join(errors))
        player.set_state(Gst.State.NULL)
        return
    seekable = player.query(q := Gst.Query.new_seeking(Gst.Format.TIME)) and q.parse_seeking()[1]
    if not seekable:
        problems.append('seek: the player says the file is not seekable')
    ends.first.clear()
    target = seconds / 2
    if not player.seek_simple(Gst.Format.TIME, Gst.SeekFlags.FLUSH | Gst.SeekFlags.KEY_UNIT,
                              int(target * Gst.SECOND)):
        problems.append('seek: refused')
        player.set_state(Gst.State.NULL)
        return
    msg, errors = run_until(player, lambda m: m.type == Gst.MessageType.ASYNC_DONE)
    for e in errors:
        problems.append(f'seek: {e}')
    # Play on to the end: every wanted stream resumes near the target and plays to the end (a reader
    # that lost its place in the data after the seek stops early).
    ends.first.clear()
    ends.last.clear()
    player.set_state(Gst.State.PLAYING)
    msg, errors = run_until(player, lambda m: m.type == Gst.MessageType.EOS)
    player.set_state(Gst.State.NULL)
    for e in errors:
        problems.append(f'after the seek: {e}')
    for kind in wanted:
        first = ends.first.get(kind)
        last = ends.last.get(kind)
        if first is None:
            problems.append(f'seek to {target:.1f} s: no {kind} after the seek')
        elif not (target - KEYFRAME_GAP - 0.1 <= first <= target + 0.5):
            problems.append(f'seek to {target:.1f} s: {kind} resumes at {first:.2f} s')
        elif last < seconds * 0.98:
            problems.append(f'seek to {target:.1f} s: {kind} stops at {last:.2f} s of {seconds:.2f} s')


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in ('av', 'a', 'v'):
        print(__doc__.strip().splitlines()[3], file=sys.stderr)
        return 2
    path, seconds, want = os.path.abspath(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
    wanted = [k for k, c in (('audio', 'a'), ('video', 'v')) if c in want]
    Gst.init(None)
    uri = Gst.filename_to_uri(path)
    problems = []
    kinds, largest = decode_all(uri, seconds, problems)
    for kind in wanted:
        if kind not in kinds.values():
            problems.append(f'no {kind} stream')
    play(uri, seconds, wanted, largest, problems)
    seek_middle(uri, seconds, wanted, problems)
    for p in problems:
        print(f'gstreamer: {p}')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
