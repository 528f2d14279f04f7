#!/usr/bin/env python3
"""Writes the default capture sound, a camera shutter, as a 16-bit mono WAV.

The sound is made from nothing but arithmetic, so every build makes the same
bytes: a click as the shutter opens (a short ring over a burst of noise), a
softer click as it closes, and silence after. The build encodes the result to
MP3 with lame.

    shutter.py OUTPUT.wav
"""
import math
import struct
import sys
import wave

RATE = 44100
LENGTH_SECONDS = 0.30


def noise():
    """xorshift32: white noise in [-1, 1) that is the same on every machine."""
    state = 0x9E3779B9
    while True:
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        yield state / 2147483648.0 - 1.0


def click(start, level, ring_hz, ring_decay, noise_decay, source):
    """One mechanical click: a damped ring and a noise burst, both from `start`."""
    samples = [0.0] * int(RATE * LENGTH_SECONDS)
    low = 0.0
    for i in range(int(start * RATE), len(samples)):
        t = i / RATE - start
        # A one-pole low-pass takes the hiss off the burst: it should thud, not hiss.
        low += 0.35 * (next(source) - low)
        ring = math.sin(2 * math.pi * ring_hz * t) * math.exp(-t / ring_decay)
        burst = low * math.exp(-t / noise_decay)
        samples[i] = level * (0.55 * ring + 0.9 * burst)
    return samples


def shutter():
    source = noise()
    opening = click(0.000, 1.00, 2300.0, 0.006, 0.018, source)
    closing = click(0.085, 0.70, 1700.0, 0.008, 0.025, source)
    mixed = [a + b for a, b in zip(opening, closing)]
    # Fade the tail so the file ends in silence, not in a cut.
    fade = int(0.05 * RATE)
    for k in range(fade):
        mixed[len(mixed) - fade + k] *= 1.0 - k / fade
    peak = max(abs(s) for s in mixed)
    return [s * 0.8 / peak for s in mixed]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: shutter.py OUTPUT.wav")
    frames = b"".join(struct.pack("<h", round(s * 32767)) for s in shutter())
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main()
