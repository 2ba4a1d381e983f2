#!/bin/sh
# Makes the sound files the decoder tests read, with the real tools, in the
# folder given (the tests run it in a temporary folder).  Every sound is a
# sweep, so that no stretch of it repeats another and a misplaced sample
# shows.  Beside each WAV or Ogg file lies FILE.raw: its PCM as the tools
# themselves decode it (sox for WAV, oggdec for Ogg Vorbis).
set -e
cd "$1"

sweep() {  # rate channels bits seconds out [sox output options]
  rate=$1 channels=$2 bits=$3 seconds=$4 out=$5
  shift 5
  sox -n -r "$rate" -c "$channels" -b "$bits" "$@" "$out" synth "$seconds" sine 200-3000 sine 2500-150
}

sweep 22050 1 8 1.3 m8_22050.wav
sweep 32000 2 8 0.7 s8_32000.wav
sweep 44100 2 16 2.2 s16_44100.wav
sweep 48000 1 16 1.1 m16_48000.wav
for f in m8_22050 s8_32000 s16_44100 m16_48000; do sox $f.wav -t raw $f.wav.raw; done

# An odd-sized "bext" chunk (its coding history has an odd length) and a
# LIST chunk lie between "fmt " and "data".
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=0.1" -ar 32000 -ac 2 \
  -write_bext 1 -metadata coding_history=ab -metadata comment=ab chunks.wav
sox chunks.wav -t raw chunks.wav.raw

# Formats that are not PCM, and PCM the buffer cannot take (wavpcm keeps
# sox from marking the latter as extensible).
sweep 44100 2 32 0.2 float.wav -e floating-point
sox -n -r 8000 -c 1 -e a-law alaw.wav synth 0.2 sine 300
sweep 44100 2 24 0.2 s24.wav -t wavpcm
sweep 44100 3 16 0.2 c3.wav -t wavpcm

# Ogg Vorbis: one stream, and two chained streams.
oggenc -Q -o s16_44100.ogg s16_44100.wav
oggdec -Q -R -o s16_44100.ogg.raw s16_44100.ogg
oggenc -Q -o m16_48000.ogg m16_48000.wav
cat s16_44100.ogg m16_48000.ogg > chained.ogg
