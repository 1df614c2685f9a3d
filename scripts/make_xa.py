#!/usr/bin/env python3
"""Make XA test files for Korvane, and decode them slowly for cross-checks.

Usage:
  make_xa.py tone OUT.xa [--channels N] [--seconds S] [--rate R]
  make_xa.py random OUT.xa --bytes N [--channels C] [--seed K] [--rate R]
  make_xa.py decode IN.xa OUT.wav

tone    synthesises a short plucked arpeggio (I-vi-IV-V in C, one voice per
        channel, each voice a different chord note) and encodes it with a
        real ADPCM encoder, so the file decodes to something worth hearing.
random  writes about N bytes of random data bytes under random but valid
        block headers: good for sizes, speed and odd histories, not for ears.
decode  is a deliberately plain, slow decoder written straight from the
        decoding rules, used to check the encoder and to cross-check the
        C++ converter.  It writes a 16-bit PCM WAV.

File layout (little-endian): 8 zero bytes, a 16-byte PCM wave-format record,
then the ADPCM stream to the end of the file.  The stream is made of groups
of one byte per channel; each channel's bytes form blocks of 15 (a header
byte, filter in the high nibble and shift in the low nibble, then 14 data
bytes of two 4-bit codes, high nibble first).  Every channel's header sits in
the same group.

Only the standard library is used, and every command's output is the same
bytes on every run.
"""

import argparse
import math
import os
import random
import struct
import sys
from array import array

LEAD_BYTES = 8
RECORD_BYTES = 16
HEADER_BYTES = LEAD_BYTES + RECORD_BYTES
BLOCK_BYTES = 15                      # header byte + 14 data bytes
SAMPLES_PER_BLOCK = 2 * (BLOCK_BYTES - 1)

# Prediction coefficients in 64ths, indexed by filter: the newer history
# sample is weighted by K0, the older by K1.  Filter 4 predicts 0 like 0.
K0 = (0, 60, 115, 98, 0)
K1 = (0, 0, -52, -55, 0)
ENCODER_FILTERS = (0, 1, 2, 3)
MAX_FILTER = 4
MAX_USEFUL_SHIFT = 12                 # shifts 13..15 add nothing

DEFAULT_RATE = 37800


class DecodeError(Exception):
    pass


def wave_record(channels, rate):
    """The 16-byte PCM wave-format record for 16-bit samples."""
    return struct.pack("<HHIIHH", 1, channels, rate, rate * channels * 2,
                       channels * 2, 16)


def file_header(channels, rate):
    return bytes(LEAD_BYTES) + wave_record(channels, rate)


# ---------------------------------------------------------------------------
# Tone synthesis

# I-vi-IV-V in C as MIDI note numbers, lowest note first.
CHORDS = ((60, 64, 67), (57, 60, 64), (53, 57, 60), (55, 59, 62))
STEPS_PER_CHORD = 3
VOICE_LEVEL = 6500                    # fundamental level; the tone peaks near 7700
HARMONICS = ((1, 1.0), (2, 0.35), (3, 0.12))


def _note_frequency(midi):
    return 440.0 * 2.0 ** ((midi - 69) / 12.0)


def _voice_note(chord, step, channel):
    """Channel k plays chord note (step + k) mod 3: even channels an octave
    up, odd channels in place, so neighbouring channels never share a note."""
    note = chord[(step + channel) % len(chord)]
    return note + (12 if channel % 2 == 0 else 0)


def synthesize(channels, seconds, rate):
    """The tone as one list of integer samples per channel.

    The time is split evenly into 12 plucks, three per chord.  Each pluck has
    a short raised-cosine attack, an exponential decay and a short linear
    release to silence at its end, so notes join without clicks.
    """
    total = max(1, int(round(seconds * rate)))
    steps = STEPS_PER_CHORD * len(CHORDS)
    bounds = [total * i // steps for i in range(steps + 1)]
    out = []
    for ch in range(channels):
        samples = []
        for step in range(steps):
            start, end = bounds[step], bounds[step + 1]
            length = end - start
            if length <= 0:
                continue
            chord = CHORDS[step // STEPS_PER_CHORD]
            freq = _note_frequency(_voice_note(chord, step, ch))
            attack = max(1, min(int(0.006 * rate), length // 4))
            release = max(1, min(int(0.010 * rate), length // 4))
            decay = 0.18 * rate
            w = 2.0 * math.pi * freq / rate
            for n in range(length):
                if n < attack:
                    env = 0.5 - 0.5 * math.cos(math.pi * n / attack)
                else:
                    env = math.exp(-(n - attack) / decay)
                left = length - 1 - n
                if left < release:
                    env *= left / release
                phase = w * n
                value = 0.0
                for mult, level in HARMONICS:
                    value += level * math.sin(mult * phase)
                samples.append(int(round(VOICE_LEVEL * env * value)))
        out.append(samples)
    return out


# ---------------------------------------------------------------------------
# Encoder

def _shift_for_peak(peak64):
    """Largest shift whose step lets code 7 reach a residual of peak64/64."""
    step, shift = 1, MAX_USEFUL_SHIFT
    while shift > 0 and 7 * 64 * step < peak64:
        step *= 2
        shift -= 1
    return shift


def _try_block(seg, k0, k1, shift, newer, older, limit):
    """Encode one block with a fixed filter and shift, simulating the decoder.

    Each code is the one whose decoded sample lands nearest the target,
    clamped to -8..7 and pulled back if the sample would leave the 16-bit
    range.  Returns (squared error, codes, newer, older) or None when the
    error reaches limit or the 16-bit range cannot be kept.
    """
    step = 1 << (MAX_USEFUL_SHIFT - shift)
    two_step = 2 * step
    err = 0
    codes = []
    for v in seg:
        # The decoder adds an integer delta to the weighted history and
        # rounds, so its result is the rounded prediction plus the delta.
        p = round((k0 * newer + k1 * older) / 64)
        c = (2 * (v - p) + step) // two_step
        if c > 7:
            c = 7
        elif c < -8:
            c = -8
        d = p + c * step
        if d > 32767:
            c -= (d - 32767 + step - 1) // step
            if c < -8:
                return None
            d = p + c * step
        elif d < -32768:
            c += (-32768 - d + step - 1) // step
            if c > 7:
                return None
            d = p + c * step
        e = d - v
        err += e * e
        if err >= limit:
            return None
        codes.append(c)
        older = newer
        newer = d
    return err, codes, newer, older


def encode_channel(signal):
    """Encode one channel's samples into 15-byte blocks (joined as bytes).

    The signal is padded with silence to a whole number of blocks.  For each
    block, every filter 0..3 is tried with the shift that fits its peak
    residual (measured on the source signal after the decoded history) and
    the shifts either side of it; the choice with the least squared error
    against the source wins.
    """
    pad = -len(signal) % SAMPLES_PER_BLOCK
    signal = list(signal) + [0] * pad
    out = bytearray()
    newer = older = 0
    for start in range(0, len(signal), SAMPLES_PER_BLOCK):
        seg = signal[start:start + SAMPLES_PER_BLOCK]
        best = None
        best_err = math.inf
        for f in ENCODER_FILTERS:
            k0, k1 = K0[f], K1[f]
            peak = 0
            n1, n2 = newer, older
            for v in seg:
                r = abs(64 * v - k0 * n1 - k1 * n2)
                if r > peak:
                    peak = r
                n2, n1 = n1, v
            guess = _shift_for_peak(peak)
            for shift in (guess, guess - 1, guess + 1):
                if not 0 <= shift <= MAX_USEFUL_SHIFT:
                    continue
                trial = _try_block(seg, k0, k1, shift, newer, older, best_err)
                if trial is not None:
                    best_err = trial[0]
                    best = (f, shift) + trial[1:]
        # Filter 0 can always stay in range, so some trial has succeeded.
        f, shift, codes, newer, older = best
        out.append((f << 4) | shift)
        for i in range(0, SAMPLES_PER_BLOCK, 2):
            out.append(((codes[i] & 15) << 4) | (codes[i + 1] & 15))
    return bytes(out)


def interleave(channel_blocks):
    """Merge per-channel block streams of equal length into groups."""
    channels = len(channel_blocks)
    stream = bytearray(len(channel_blocks[0]) * channels)
    for k, data in enumerate(channel_blocks):
        stream[k::channels] = data
    return bytes(stream)


def tone_file(channels, seconds, rate):
    signals = synthesize(channels, seconds, rate)
    stream = interleave([encode_channel(s) for s in signals])
    return file_header(channels, rate) + stream


# ---------------------------------------------------------------------------
# Random files

# Maps any byte to a valid header: filter = high nibble mod 5, shift kept.
_HEADER_TABLE = bytes((((b >> 4) % (MAX_FILTER + 1)) << 4) | (b & 15)
                      for b in range(256))
_RANDOM_CHUNK = 1 << 20


def write_random(path, nbytes, channels, seed, rate):
    """Write a file of 24 + the most whole groups fitting in nbytes.

    The stream comes out in chunks of whole blocks, so header positions in
    every chunk are the same slices and can be fixed up in one step each.
    Returns the file size.
    """
    groups = max(0, nbytes - HEADER_BYTES) // channels
    remaining = groups * channels
    block_group = BLOCK_BYTES * channels
    chunk = max(1, _RANDOM_CHUNK // block_group) * block_group
    rng = random.Random(seed)
    with open(path, "wb") as f:
        f.write(file_header(channels, rate))
        while remaining:
            n = min(chunk, remaining)
            buf = bytearray(rng.randbytes(n))
            for k in range(min(channels, n)):
                buf[k::block_group] = buf[k::block_group].translate(
                    _HEADER_TABLE)
            f.write(buf)
            remaining -= n
    return HEADER_BYTES + groups * channels


# ---------------------------------------------------------------------------
# Reference decoder

def _delta(shift, code):
    if shift > MAX_USEFUL_SHIFT:
        return 0
    v = code if code < 8 else code - 16
    return v * 2 ** (MAX_USEFUL_SHIFT - shift)


def _low16(v):
    return ((v + 0x8000) & 0xFFFF) - 0x8000


def decode(data):
    """Decode a whole XA file held in memory.

    Returns (wave-format record, array of 16-bit samples interleaved by
    frame).  Raises DecodeError for a file too short for its header, a
    record naming no channels, or a block header with a filter above 4.
    """
    if len(data) < HEADER_BYTES:
        raise DecodeError(f"file is {len(data)} bytes, shorter than the "
                          f"{HEADER_BYTES}-byte header")
    record = bytes(data[LEAD_BYTES:HEADER_BYTES])
    channels = struct.unpack_from("<H", record, 2)[0]
    if channels == 0:
        raise DecodeError("wave-format record gives 0 channels")
    stream = data[HEADER_BYTES:]
    groups = len(stream) // channels
    filt = [0] * channels
    shift = [0] * channels
    older = [0] * channels    # historyA
    newer = [0] * channels    # historyB
    out = array("h")
    for g in range(groups):
        base = g * channels
        if g % BLOCK_BYTES == 0:
            for k in range(channels):
                h = stream[base + k]
                if h >> 4 > MAX_FILTER:
                    raise DecodeError(
                        f"block header 0x{h:02X} for channel {k} at stream "
                        f"offset {base + k} has filter {h >> 4}")
                filt[k] = h >> 4
                shift[k] = h & 15
            continue
        first = []
        second = []
        for k in range(channels):
            byte = stream[base + k]
            k0, k1, s = K0[filt[k]], K1[filt[k]], shift[k]
            # Numerators are integers over 64, so the division is exact and
            # round() rounds halves to even as the rules ask.
            a = round((newer[k] * k0 + older[k] * k1
                       + 64 * _delta(s, byte >> 4)) / 64)
            b = round((a * k0 + newer[k] * k1
                       + 64 * _delta(s, byte & 15)) / 64)
            older[k], newer[k] = a, b
            first.append(_low16(a))
            second.append(_low16(b))
        out.extend(first)
        out.extend(second)
    return record, out


def wav_bytes(record, samples):
    data = array("h", samples)
    if sys.byteorder == "big":
        data.byteswap()
    payload = data.tobytes()
    return (b"RIFF" + struct.pack("<I", len(payload) + 36) + b"WAVEfmt "
            + struct.pack("<I", RECORD_BYTES) + record
            + b"data" + struct.pack("<I", len(payload)) + payload)


# ---------------------------------------------------------------------------
# Command line

def _positive_int(text):
    value = int(text)
    if value <= 0:
        raise argparse.ArgumentTypeError(f"{text} is not a positive integer")
    return value


def _channel_count(text):
    value = _positive_int(text)
    if value > 0xFFFF:
        raise argparse.ArgumentTypeError(f"{text} channels do not fit in 16 bits")
    return value


def _seconds(text):
    value = float(text)
    if not 0 < value <= 3600:
        raise argparse.ArgumentTypeError(f"{text} is not in (0, 3600]")
    return value


def _write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Make XA test files, or decode one to WAV.")
    sub = parser.add_subparsers(dest="command", required=True)

    p = sub.add_parser("tone", help="encode a short synthesised tune")
    p.add_argument("output")
    p.add_argument("--channels", type=_channel_count, default=1)
    p.add_argument("--seconds", type=_seconds, default=1.0)
    p.add_argument("--rate", type=_positive_int, default=DEFAULT_RATE)

    p = sub.add_parser("random", help="random data under valid headers")
    p.add_argument("output")
    p.add_argument("--bytes", type=int, required=True, dest="nbytes")
    p.add_argument("--channels", type=_channel_count, default=1)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--rate", type=_positive_int, default=DEFAULT_RATE)

    p = sub.add_parser("decode", help="slow reference decode to WAV")
    p.add_argument("input")
    p.add_argument("output")

    args = parser.parse_args(argv)
    if args.command != "decode" and args.rate * args.channels * 2 > 0xFFFFFFFF:
        parser.error("rate x channels x 2 bytes/s does not fit in 32 bits")
    if args.command == "tone":
        _write(args.output, tone_file(args.channels, args.seconds, args.rate))
    elif args.command == "random":
        write_random(args.output, args.nbytes, args.channels, args.seed,
                     args.rate)
    else:
        with open(args.input, "rb") as f:
            data = f.read()
        try:
            record, samples = decode(data)
        except DecodeError as e:
            print(f"make_xa.py: {args.input}: {e}", file=sys.stderr)
            return 1
        _write(args.output, wav_bytes(record, samples))
    return 0


if __name__ == "__main__":
    sys.exit(main())
