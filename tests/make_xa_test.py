"""Checks for scripts/make_xa.py and the committed samples/tone.xa.

The decoder cases use short hand-built streams whose expected samples were
worked out by hand from the decoding rules, so they pin down the rules
rather than echo the script.  The encoder is judged by decoding its output
and comparing with the synthesised signal.

Run from the repository root:
  python3 -m unittest discover -s tests -p '*_test.py'
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRIPT = os.path.join(ROOT, "scripts", "make_xa.py")
SAMPLE = os.path.join(ROOT, "samples", "tone.xa")
# Must match the command given in samples/README.md.
SAMPLE_ARGS = ["tone", "--channels", "2", "--seconds", "1.5"]

sys.path.insert(0, os.path.dirname(SCRIPT))
import make_xa as mx  # noqa: E402


def xa_file(channels, stream, rate=37800):
    record = struct.pack("<HHIIHH", 1, channels, rate, rate * channels * 2,
                         channels * 2, 16)
    return bytes(8) + record + bytes(stream)


def block(header, data=b""):
    """One channel's block: header byte, then data padded with zero bytes."""
    return bytes([header]) + bytes(data) + bytes(14 - len(data))


def run_script(*args):
    return subprocess.run([sys.executable, SCRIPT, *args],
                          capture_output=True, text=True)


def snr_db(signal, decoded):
    power = sum(v * v for v in signal)
    noise = sum((a - b) ** 2 for a, b in zip(signal, decoded))
    return math.inf if noise == 0 else 10 * math.log10(power / noise)


class DecoderRules(unittest.TestCase):
    """Single-channel streams with hand-computed samples."""

    def samples(self, stream):
        return list(mx.decode(xa_file(1, stream))[1])

    def test_codes_are_signed_nibbles_high_first(self):
        out = self.samples(block(0x0C, b"\x7F\x80\x00"))
        self.assertEqual(out[:6], [7, -1, -8, 0, 0, 0])
        self.assertEqual(len(out), 28)

    def test_shift_scales_code(self):
        self.assertEqual(self.samples(block(0x00, b"\x18"))[:2], [4096, -32768])
        self.assertEqual(self.samples(block(0x05, b"\x1F"))[:2], [128, -128])

    def test_shifts_above_12_add_nothing(self):
        for header in (0x0D, 0x0E, 0x0F):
            self.assertEqual(self.samples(block(header, b"\x7F\x81")), [0] * 28)

    def test_history_crosses_blocks_and_rounds_half_to_even(self):
        # Shift 6 (step 64) leaves newer history 64; filter 1 then decays it
        # by 60/64 per sample: 60, 56.25 -> 56, 52.5 -> 52 (even), 48.75 -> 49.
        out = self.samples(block(0x06, bytes(13) + b"\x01")
                           + block(0x1D, b"\x77\x88"))
        self.assertEqual(out[26:32], [0, 64, 60, 56, 52, 49])
        # 8 * 60/64 = 7.5 rounds up to the even 8, and stays there.
        out = self.samples(block(0x09, bytes(13) + b"\x01") + block(0x1F))
        self.assertEqual(out[27:31], [8, 8, 8, 8])

    def test_filters_weight_newer_by_k0_and_older_by_k1(self):
        # A shift-6 block leaves history older=192, newer=448, large enough
        # that any coefficient off by 1/64 moves the result.  Then one data
        # byte with codes +1, 0.
        history = block(0x06, bytes(13) + b"\x37")
        cases = {
            0x1C: [421, 395],  # 448*60/64 + 1;  421*60/64 = 394.69
            0x2C: [650, 804],  # (448*115 - 192*52)/64 + 1;  (650*115 - 448*52)/64 = 803.97
            0x3C: [522, 414],  # (448*98 - 192*55)/64 + 1;  (522*98 - 448*55)/64 = 414.31
            0x4C: [1, 0],      # filter 4 predicts nothing
        }
        for header, want in cases.items():
            with self.subTest(header=hex(header)):
                out = self.samples(history + block(header, b"\x10"))
                self.assertEqual(out[26:30], [192, 448] + want)

    def test_output_keeps_low_16_bits_of_unclamped_history(self):
        # Newer history 28672 (code 7 at shift 0), then filter 2 at shift 0:
        # 28672*115/64 + 4096 = 55616 -> -9920;
        # (55616*115 - 28672*52)/64 = 76639 -> 11103;
        # (76639*115 - 55616*52)/64 = 92522.7 -> 92523 -> 26987.
        out = self.samples(block(0x00, bytes(13) + b"\x07")
                           + block(0x20, b"\x10\x00"))
        self.assertEqual(out[27:31], [28672, -9920, 11103, 26987])


class StreamLayout(unittest.TestCase):
    """Channel interleaving, partial groups and blocks, bad headers, WAV."""

    def test_frames_interleave_first_then_second_samples(self):
        # Channel 0 at shift 12, channel 1 at shift 11 (step 2).
        stream = bytes([0x0C, 0x0B, 0x12, 0x34])
        record, out = mx.decode(xa_file(2, stream))
        self.assertEqual(list(out), [1, 6, 2, 8])

    def test_channels_keep_separate_state(self):
        # Channel 0 ends its first block on 7 and channel 1 on 1; in the
        # second block filter 1 decays channel 0 (7*60/64 = 6.56 -> 7) while
        # filter 0 with zero codes gives silence on channel 1.
        ch0 = block(0x0C, bytes(13) + b"\x07") + block(0x1C)
        ch1 = block(0x0C, b"\x11" + bytes(12) + b"\x01") + block(0x0C)
        stream = bytearray(60)
        stream[0::2], stream[1::2] = ch0, ch1
        out = list(mx.decode(xa_file(2, stream))[1])
        self.assertEqual(out[:4], [0, 1, 0, 1])
        self.assertEqual(out[52:60], [0, 0, 7, 1, 7, 0, 7, 0])

    def test_partial_group_ignored_and_partial_block_decoded(self):
        stream = bytes([0x0C] * 3) + bytes(3 * 2) + b"\x77\x77"
        _, out = mx.decode(xa_file(3, stream))
        self.assertEqual(len(out), 3 * 4)

    def test_filter_above_4_stops_decoding(self):
        stream = bytearray(60)
        stream[0::2] = block(0x0C, b"\x5F" * 14) + block(0x4C)
        stream[1::2] = block(0x0C) + block(0x5C)
        with self.assertRaises(mx.DecodeError):
            mx.decode(xa_file(2, stream))
        with tempfile.TemporaryDirectory() as tmp:
            src = os.path.join(tmp, "bad.xa")
            dst = os.path.join(tmp, "bad.wav")
            with open(src, "wb") as f:
                f.write(xa_file(2, stream))
            result = run_script("decode", src, dst)
            self.assertEqual(result.returncode, 1)
            self.assertIn("filter 5", result.stderr)
            self.assertFalse(os.path.exists(dst))
        # Data bytes with a high nibble above 4 are not headers.
        self.assertEqual(len(mx.decode(xa_file(2, stream[:30]))[1]), 56)

    def test_wav_header_and_record(self):
        stream = bytes([0x0C, 0x0C, 0x7F, 0x80])
        odd_record = struct.pack("<HHIIHH", 1, 2, 22050, 12345, 4, 16)
        with tempfile.TemporaryDirectory() as tmp:
            src = os.path.join(tmp, "in.xa")
            dst = os.path.join(tmp, "out.wav")
            with open(src, "wb") as f:
                f.write(bytes(8) + odd_record + stream)
            self.assertEqual(run_script("decode", src, dst).returncode, 0)
            with open(dst, "rb") as f:
                raw = f.read()
            with wave.open(dst, "rb") as w:
                params = (w.getnchannels(), w.getsampwidth(), w.getframerate(),
                          w.getnframes())
                frames = w.readframes(w.getnframes())
        self.assertEqual(len(raw), 44 + 8)
        self.assertEqual(raw[:4] + raw[8:16], b"RIFFWAVEfmt ")
        self.assertEqual(struct.unpack_from("<I", raw, 4)[0], len(raw) - 8)
        self.assertEqual(struct.unpack_from("<I", raw, 16)[0], 16)
        self.assertEqual(raw[20:36], odd_record)
        self.assertEqual(raw[36:40], b"data")
        self.assertEqual(struct.unpack_from("<I", raw, 40)[0], 8)
        self.assertEqual(params, (2, 2, 22050, 2))
        self.assertEqual(struct.unpack("<4h", frames), (7, -8, -1, 0))

    def test_short_or_channelless_file_is_rejected(self):
        with self.assertRaises(mx.DecodeError):
            mx.decode(bytes(23))
        with self.assertRaises(mx.DecodeError):
            mx.decode(bytes(8) + struct.pack("<HHIIHH", 1, 0, 37800, 0, 0, 16))


class Encoder(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.signals = mx.synthesize(2, 1.5, 37800)
        record, cls.decoded = mx.decode(mx.tone_file(2, 1.5, 37800))
        cls.record = struct.unpack("<HHIIHH", record)

    def test_tone_decodes_close_to_signal(self):
        self.assertEqual(self.record, (1, 2, 37800, 151200, 4, 16))
        for ch, signal in enumerate(self.signals):
            with self.subTest(channel=ch):
                decoded = self.decoded[ch::2]
                # Padded to whole blocks of 28 samples with silence.
                self.assertEqual(len(decoded), -(-len(signal) // 28) * 28)
                self.assertEqual(len(signal), 56700)
                self.assertGreater(snr_db(signal, decoded), 20.0)
                self.assertTrue(all(abs(v) < 64 for v in decoded[len(signal):]))

    def test_tone_is_audible_and_channels_differ(self):
        for signal in self.signals:
            self.assertGreater(max(map(abs, signal)), 4000)
            self.assertLess(max(map(abs, signal)), 20000)
        self.assertNotEqual(self.signals[0], self.signals[1])

    def encode_mono(self, signal):
        return list(mx.decode(xa_file(1, mx.encode_channel(signal)))[1])

    def test_full_scale_signals_stay_in_16_bit_range(self):
        # A decoded value outside -32768..32767 comes out wrapped, an error
        # near 65536; honest quantisation errors stay within one step.
        n = 4000
        square = [32767 if (i // 43) % 2 else -32768 for i in range(n)]
        saw = [-32768 + (i % 97) * 65535 // 96 for i in range(n)]
        for name, signal in (("square", square), ("saw", saw)):
            with self.subTest(signal=name):
                out = self.encode_mono(signal)
                worst = max(abs(a - b) for a, b in zip(signal, out))
                self.assertLessEqual(worst, 4096)

    def test_small_signal_is_exact(self):
        signal = [((i * 7) % 16) - 8 for i in range(200)] + [0] * 24
        self.assertEqual(self.encode_mono(signal), signal)


class RandomFiles(unittest.TestCase):

    def make(self, nbytes, channels, seed=1):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "r.xa")
            result = run_script("random", path, "--bytes", str(nbytes),
                                "--channels", str(channels), "--seed", str(seed))
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(path, "rb") as f:
                return f.read()

    def test_size_is_header_plus_whole_groups(self):
        for nbytes, channels, size in ((1000, 1, 1000), (1000, 3, 999),
                                       (10, 2, 24), (24 + 15 * 2 * 4 + 1, 2,
                                                     24 + 15 * 2 * 4)):
            with self.subTest(nbytes=nbytes, channels=channels):
                self.assertEqual(len(self.make(nbytes, channels)), size)

    def test_headers_valid_at_every_block_of_every_channel(self):
        # Over 1 MiB so the file is written in several chunks.
        channels = 3
        data = self.make(2_500_000, channels, seed=7)
        self.assertEqual(data[:8], bytes(8))
        self.assertEqual(struct.unpack_from("<HHIIHH", data, 8),
                         (1, 3, 37800, 226800, 6, 16))
        stream = data[24:]
        self.assertEqual(len(stream) % channels, 0)
        filters, shifts = set(), set()
        for k in range(channels):
            headers = stream[k::15 * channels]
            self.assertEqual(len(headers), -(-(len(stream) // channels) // 15))
            self.assertLess(max(headers), 0x50, f"channel {k}")
            filters |= {h >> 4 for h in headers}
            shifts |= {h & 15 for h in headers}
        self.assertEqual(filters, set(range(5)))
        self.assertEqual(shifts, set(range(16)))
        # Data bytes are not held to the header range.
        self.assertGreater(max(stream[channels:15 * channels]), 0x4F)

    def test_seed_fixes_content_and_file_decodes(self):
        a = self.make(3000, 2, seed=4)
        self.assertEqual(a, self.make(3000, 2, seed=4))
        self.assertNotEqual(a[24:], self.make(3000, 2, seed=5)[24:])
        # 1488 groups, of which 100 hold headers: 1388 * 2 frames of 2.
        _, out = mx.decode(a)
        self.assertEqual(len(out), 1388 * 2 * 2)


class CommittedSample(unittest.TestCase):

    def test_sample_matches_fresh_generation(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "tone.xa")
            result = run_script(SAMPLE_ARGS[0], path, *SAMPLE_ARGS[1:])
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(path, "rb") as f:
                fresh = f.read()
        with open(SAMPLE, "rb") as f:
            committed = f.read()
        self.assertLess(len(committed), 62_000)
        self.assertTrue(fresh == committed,
                        "samples/tone.xa differs from a fresh generation")


if __name__ == "__main__":
    unittest.main()
