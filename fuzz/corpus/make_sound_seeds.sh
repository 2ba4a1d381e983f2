#!/bin/sh
# Made the seed files of the sound source fuzz targets (kept small, so that
# the fuzzer mutates headers rather than wading through samples).
set -e
cd "$(dirname "$0")"
sox -n -r 8000 -c 1 -b 8 wav_source_fuzz/m8.wav synth 0.05 sine 440
sox -n -r 22050 -c 2 -b 16 wav_source_fuzz/s16.wav synth 0.02 sine 300 sine 500
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=0.005" -ar 11025 -ac 1 \
  -write_bext 1 -metadata coding_history=ab wav_source_fuzz/chunks.wav
sox -n -r 8000 -c 1 -b 16 /tmp/ogg-seed-$$.wav synth 0.1 sine 440
oggenc -Q -q 0 -o ogg_source_fuzz/m16.ogg /tmp/ogg-seed-$$.wav
sox -n -r 11025 -c 2 -b 16 /tmp/ogg-seed-$$.wav synth 0.1 sine 300 sine 500
oggenc -Q -q 0 -o ogg_source_fuzz/s16.ogg /tmp/ogg-seed-$$.wav
cat ogg_source_fuzz/m16.ogg ogg_source_fuzz/s16.ogg > ogg_source_fuzz/chained.ogg
rm -f /tmp/ogg-seed-$$.wav
