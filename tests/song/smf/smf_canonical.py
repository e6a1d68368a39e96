#!/usr/bin/python3
"""Reads a Standard MIDI File with mido and writes the canonical text that smf_dump writes
for Zarin's import of the same file (tests/song/smf/smf_canonical.h), so that the two can be
compared line by line.

The rules of the import that shape the text, as documented in song/smf_import.h and
song/smf_track_parser.h:
  - song tick = round(file tick x resolution / division) + 1;
  - format 0: one song track per chunk; format 1 and 2: the first chunk is the tempo track,
    every further chunk makes a song track and the tempo track's channel events join the
    first song track (a file with only one chunk makes one track of it); at most 47 tracks;
  - notes pair first on, first off per channel and key within a chunk; a note-on of velocity
    0 is a note-off of release velocity 64; the duration is at least 1 and at most 65535
    ticks; a note still held when the chunk ends lasts to the chunk's end (the later of its
    end-of-track event and its last channel message); an end-of-track event ends the chunk;
  - tempo (tenths of a beat per minute) = round(600000000 / microseconds per quarter), a
    tempo below 12.0 becoming 120.0 and one above 450.0 (or of 0 microseconds) 450.0;
  - meter: numerator and denominator power both non-zero, power cut to 6, numerator to
    1..64 and so that a bar stays within 65535 ticks; ticks per beat = 4 x resolution >> power;
  - key code: sharps as they are, flats n as (12 - |n|) | 0x40; the mode is not used;
  - a later change of one kind at the same tick replaces an earlier one (chunks in order);
    at tick 1 the song starts at 120 beats per minute, 4/4 and C;
  - meter changes are then moved to the bar line at or before them, in tick order (one that
    reaches tick 1 sets the song's first meter).
Exit status 0, or 3 with "skip REASON" for files the comparison does not cover (time-code
divisions, whose ticks come from the song's tempo map).
"""
import struct
import sys

import mido

MAX_TICK = 0x7F000000
MAX_TRACKS = 47


def header_fields(path):
    with open(path, "rb") as f:
        data = f.read(14)
    if len(data) < 14 or data[:4] != b"MThd":
        raise ValueError("no MThd chunk")
    fmt, count, division = struct.unpack(">HHh", data[8:14])
    return fmt, count, division


def plan(fmt, count):
    count = max(count, 1)
    if fmt == 0:
        tracks = min(count, MAX_TRACKS)
        return tracks, tracks, False
    tracks = max(1, min(count - 1, MAX_TRACKS))
    chunks = min(count, tracks + 1)
    return tracks, chunks, chunks > 1


def song_tick(time, tpq, division):
    division = max(division, 1)
    return min((time * tpq + division // 2) // division + 1, MAX_TICK)


def tempo_value(microseconds):
    if microseconds == 0:
        return 4500
    tempo = (600000000 + microseconds // 2) // microseconds
    if tempo < 120:
        return 1200
    return min(tempo, 4500)


def meter_value(numerator, denominator, tpq):
    power = denominator.bit_length() - 1
    if numerator == 0 or power == 0:
        return None
    beat = max(1, min((4 * tpq) >> min(power, 6), 65535))
    beats = min(numerator, 64)
    if beats * beat > 65535:
        beats = 65535 // beat
    return max(beats, 1), beat


KEY_SHARPS = None


def key_code(key):
    global KEY_SHARPS
    if KEY_SHARPS is None:
        from mido.midifiles.meta import _key_signature_decode
        KEY_SHARPS = {name: sf for (sf, _mode), name in _key_signature_decode.items()}
    sf = KEY_SHARPS[key]
    if sf > 0:
        return sf
    if sf < 0:
        return (12 + sf) | 0x40
    return 0


class Chunk:
    def __init__(self):
        self.lines = []
        self.changes = []  # (kind, tick, value)


def parse_chunk(track, tpq, division):
    chunk = Chunk()
    time = 0
    pending = {}
    notes = []  # [tick, ch, key, vel, release, end]
    last_tick = 1
    end_of_track = 0
    for msg in track:
        time += msg.time
        tick = song_tick(time, tpq, division)
        t = msg.type
        if t == "end_of_track":
            end_of_track = tick
            break
        if t == "set_tempo":
            chunk.changes.append(("tempo", tick, (tempo_value(msg.tempo),)))
        elif t == "time_signature":
            m = meter_value(msg.numerator, msg.denominator, tpq)
            if m:
                chunk.changes.append(("meter", tick, m))
        elif t == "key_signature":
            chunk.changes.append(("key", tick, (key_code(msg.key),)))
        if msg.is_meta or t == "sysex":
            if t == "sysex":
                last_tick = max(last_tick, tick)
            continue
        last_tick = max(last_tick, tick)
        ch = msg.channel
        if t == "note_on" and msg.velocity > 0:
            note = [tick, ch, msg.note, msg.velocity, 64, None]
            notes.append(note)
            pending.setdefault((ch, msg.note), []).append(note)
        elif t in ("note_on", "note_off"):
            queue = pending.get((ch, msg.note))
            if queue:
                note = queue.pop(0)
                note[4] = msg.velocity if t == "note_off" else 64
                note[5] = tick
        elif t == "control_change":
            chunk.lines.append("cc %d %d %d %d" % (tick, ch, msg.control, msg.value))
        elif t == "program_change":
            chunk.lines.append("program %d %d %d" % (tick, ch, msg.program))
        elif t == "aftertouch":
            chunk.lines.append("pressure %d %d %d" % (tick, ch, msg.value))
        elif t == "polytouch":
            chunk.lines.append("poly %d %d %d %d" % (tick, ch, msg.note, msg.value))
        elif t == "pitchwheel":
            chunk.lines.append("bend %d %d %d" % (tick, ch, msg.pitch))
    end = max(last_tick, end_of_track)
    for note in notes:
        stop = note[5] if note[5] is not None else end
        if note[5] is None:
            note[4] = 64
        duration = min(max(stop - note[0], 1), 65535)
        chunk.lines.append("note %d %d %d %d %d %d" % (note[0], note[1], note[2], note[3],
                                                       note[4], duration))
    return chunk


def snap_meters(meters):
    snapped = {1: meters[1]}
    start, bar = 1, meters[1][0] * meters[1][1]
    for tick in sorted(t for t in meters if t != 1):
        value = meters[tick]
        at = start + ((tick - start) // bar) * bar
        snapped[max(at, 1)] = value
        start, bar = max(at, 1), value[0] * value[1]
    return snapped


def canonical(path, tpq):
    fmt, count, division = header_fields(path)
    if division < 0:
        return None, "time-code division"
    division = division or 1
    midi = mido.MidiFile(path)
    tracks, chunk_count, tempo_chunk = plan(fmt, count)
    chunks = [parse_chunk(midi.tracks[i], tpq, division) for i in range(chunk_count)]
    conductor = {"tempo": {1: (1200,)}, "meter": {1: (4, tpq)}, "key": {1: (0,)}}
    for chunk in chunks:
        for kind, tick, value in chunk.changes:
            conductor[kind][tick] = value
    conductor["meter"] = snap_meters(conductor["meter"])
    out = []
    for kind in ("tempo", "meter", "key"):
        lines = ["%s %d %s" % (kind, tick, " ".join(str(v) for v in value))
                 for tick, value in conductor[kind].items()]
        out.extend(sorted(lines))
    out.append("tracks %d" % tracks)
    for k in range(tracks):
        out.append("track %d" % k)
        lines = list(chunks[k + 1 if tempo_chunk else k].lines)
        if tempo_chunk and k == 0:
            lines += chunks[0].lines
        out.extend(sorted(lines))
    return "\n".join(out) + "\n", None


def main():
    if len(sys.argv) < 2:
        print("usage: smf_canonical.py FILE [TICKS_PER_QUARTER]", file=sys.stderr)
        return 64
    tpq = int(sys.argv[2]) if len(sys.argv) > 2 else 480
    text, skip = canonical(sys.argv[1], tpq)
    if skip:
        print("skip " + skip)
        return 3
    sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
