#!/usr/bin/env python3
"""Makes the sounds example's sounds: 13 piano-like tones from C4 to C5 as wave files, and a
piece of looped music as Ogg Vorbis (through oggenc): an intro of 2 s, then 8 s that loop from
frame 88200 on. Everything is synthesised here; no recorded audio is used.

    scripts/make_sounds.py OUTPUT_DIRECTORY
"""
import array
import math
import os
import subprocess
import sys
import wave

RATE = 44100
NOTE_NAMES = ["c4", "cs4", "d4", "ds4", "e4", "f4", "fs4", "g4", "gs4", "a4", "as4", "b4", "c5"]


def frequency(semitones_from_c4):
    return 261.6256 * 2 ** (semitones_from_c4 / 12)


def write_wave(path, channels, samples):
    data = array.array("h", (max(-32768, min(32767, int(round(s * 32767)))) for s in samples))
    with wave.open(path, "wb") as out:
        out.setnchannels(channels)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(data.tobytes())


def tone(hz, seconds=1.2):
    """A struck string: a few harmonics, each dying away faster than the one below."""
    frames = int(RATE * seconds)
    samples = []
    for i in range(frames):
        t = i / RATE
        attack = min(1.0, t / 0.005)
        release = min(1.0, (seconds - t) / 0.05)
        v = 0.0
        for n, level in ((1, 0.6), (2, 0.25), (3, 0.1), (4, 0.05)):
            v += level * math.exp(-t * (2.0 + 1.5 * n)) * math.sin(2 * math.pi * hz * n * t)
        samples.append(0.7 * attack * release * v)
    return samples


def music():
    """Intro: a chord swelling for 2 s. Loop: 8 s of bass and arpeggio over C, Am, F, G at
    120 beats a minute, whose end leads back into its start."""
    chords = [(0, 4, 7), (-3, 0, 4), (-7, -3, 0), (-5, -1, 2)]  # semitones from C4
    intro = 2 * RATE
    total = intro + 8 * RATE
    left, right = [0.0] * total, [0.0] * total
    for i in range(intro):
        t = i / RATE
        v = sum(math.sin(2 * math.pi * frequency(s) * t) for s in chords[0]) / 3
        left[i] = right[i] = 0.25 * (t / 2.0) * v
    eighth = RATE // 4  # an eighth note at 120 beats a minute
    for bar in range(4):
        chord = chords[bar]
        for step in range(8):
            start = intro + bar * 2 * RATE + step * eighth
            note = chord[step % 3] + (12 if step >= 4 else 0)
            hz, bass = frequency(note), frequency(chord[0] - 24)
            for k in range(eighth):
                t = k / RATE
                env = math.exp(-t * 6)
                a = 0.22 * env * math.sin(2 * math.pi * hz * t)
                b = 0.18 * math.sin(2 * math.pi * bass * (start - intro + k) / RATE)
                pan = 0.3 if step % 2 else -0.3
                left[start + k] += a * (1 - pan) + b
                right[start + k] += a * (1 + pan) + b
    interleaved = [x for pair in zip(left, right) for x in pair]
    return interleaved


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for n, name in enumerate(NOTE_NAMES):
        write_wave(os.path.join(out, name + ".wav"), 1, tone(frequency(n)))
    temporary = os.path.join(out, "music.wav")
    write_wave(temporary, 2, music())
    subprocess.run(["oggenc", "-Q", "-q", "4", "-o", os.path.join(out, "music.ogg"), temporary], check=True)
    os.remove(temporary)


if __name__ == "__main__":
    main()
