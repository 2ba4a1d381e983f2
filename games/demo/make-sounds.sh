#!/bin/sh
# Makes the demo game's sounds with sox, espeak-ng and oggenc into
# games/demo/assets/.  The files are kept in the repository; run this again
# after changing a sound here.
#   bgm/title.ogg  the title theme: a 4-second intro, then a 16-second phrase
#                  the game loops from 4000 ms on
#   bgm/night.ogg  the scenes' theme, looped whole
#   se/click.wav   the buttons' click
#   voice/mina.ogg Mina's first line
set -e
here=$(cd "$(dirname "$0")" && pwd)
out="$here/assets"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/bgm" "$out/se" "$out/voice"
for tool in sox oggenc espeak-ng; do
  command -v $tool >/dev/null || { echo "make-sounds: $tool is not installed" >&2; exit 1; }
done

rate=44100

# note FILE SECONDS NOTE: a plucked note, stereo, fading out.
# (sh has no local variables: each function keeps to names of its own.)
note() {
  nf=$1; nlen=$2; shift 2
  sox -q -n -r $rate -c 1 -b 16 "$nf.mono.wav" synth "$nlen" pluck "$1"
  sox -q "$nf.mono.wav" -c 2 "$nf" fade q 0.005 "$nlen" 0.08 gain -n -14
  rm "$nf.mono.wav"
}

# pad FILE SECONDS NOTE...: a soft sustained chord.
pad() {
  pf=$1; plen=$2; shift 2
  tones=""
  for n in "$@"; do
    sox -q -n -r $rate -c 1 -b 16 "$work/tone-$n.wav" synth "$plen" sine "$n"
    tones="$tones $work/tone-$n.wav"
  done
  sox -q -m $tones "$work/pad.wav" tremolo 5 20
  sox -q "$work/pad.wav" -c 2 "$pf" fade h 0.6 "$plen" 0.6 gain -n -18
}

# phrase FILE CHORD...: each chord (notes joined by '+') as an arpeggio of
# four quarter notes at 120 beats a minute (two seconds a chord).
phrase() {
  af=$1; shift
  parts=""
  for chord in "$@"; do
    for n in $(echo "$chord" | tr '+' ' '); do
      i=$((i + 1))
      note "$work/n$i.wav" 0.5 "$n"
      parts="$parts $work/n$i.wav"
    done
  done
  sox -q $parts "$af"
}
i=0

# The title theme: the intro, then a phrase of C Am F G (twice, 16 s).
pad "$work/intro.wav" 4 C4 E4 G4
phrase "$work/loop.wav" C4+E4+G4+C5 A3+C4+E4+A4 F3+A3+C4+F4 G3+B3+D4+G4 \
                        C4+E4+G4+C5 A3+C4+E4+A4 F3+A3+C4+F4 G3+B3+D4+G4
sox -q "$work/intro.wav" "$work/loop.wav" "$work/loop.wav" "$work/title.wav"
sox -q "$work/title.wav" "$work/title-exact.wav" trim 0 20
oggenc -Q -q 2 --serial 1 -o "$out/bgm/title.ogg" "$work/title-exact.wav"

# The night theme: Am F C G, slower and lower, 16 s, looped whole.
phrase "$work/night.wav" A3+C4+E4+A4 F3+A3+C4+F4 C3+E3+G3+C4 G3+B3+D4+G4 \
                         A3+C4+E4+A4 F3+A3+C4+F4 C3+E3+G3+C4 E3+G3+B3+E4
sox -q "$work/night.wav" "$work/night-slow.wav" speed 0.5 trim 0 16
oggenc -Q -q 2 --serial 2 -o "$out/bgm/night.ogg" "$work/night-slow.wav"

# The click: 40 ms of a falling blip, 16-bit mono 22050 Hz.
sox -q -n -r 22050 -c 1 -b 16 "$out/se/click.wav" synth 0.04 sine 1800-600 fade q 0.002 0.04 0.03 gain -n -6

# Mina's line, spoken.
espeak-ng -v ja -s 150 -w "$work/mina.wav" "おそいよ、もう。流れ星、いくつも見のがしちゃったよ。"
sox -q "$work/mina.wav" -r $rate -c 1 "$work/mina-44.wav" gain -n -3
oggenc -Q -q 3 --serial 3 -o "$out/voice/mina.ogg" "$work/mina-44.wav"

echo "make-sounds: wrote $(cd "$out" && ls bgm/*.ogg se/*.wav voice/*.ogg | tr '\n' ' ')"
