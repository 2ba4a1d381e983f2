#!/bin/sh
# Draws the demo game's pictures with ImageMagick into games/demo/assets/.
# The PNG files are kept in the repository; run this again after changing a
# picture here.  The build copies assets/ into the game folder.
set -e
here=$(cd "$(dirname "$0")" && pwd)
out="$here/assets"
mkdir -p "$out/bg" "$out/sys"

im=""
for c in /usr/bin/magick /usr/bin/convert; do
  [ -x "$c" ] && { im=$c; break; }
done
[ -n "$im" ] || im=$(command -v magick || command -v convert || true)
[ -n "$im" ] || { echo "make-assets: ImageMagick (convert) is not installed" >&2; exit 1; }

font() { fc-match -f '%{file}' "$1"; }
gothic=$(font IPAPGothic)

# png OUT ARGS...: ImageMagick's ARGS, written to OUT with 8 bits a channel
# (what the engine keeps) and without time stamps or other chunks that
# change from run to run.  Backgrounds are opaque (PNG24:), the rest carry
# alpha (PNG32:).
png() {
  o=$1
  shift
  "$im" "$@" -depth 8 -strip -define png:exclude-chunks=date,time "$o"
}

# Drawing primitives for N small stars above row BOTTOM, the same every run
# for a SEED (a linear congruential generator: every awk gives one sky).
stars() {
  awk -v n="$1" -v bottom="$2" -v seed="$3" 'BEGIN {
    s = seed
    for (i = 0; i < n; i++) {
      s = (s * 1103515245 + 12345) % 2147483648; x = int(s / 2147483648 * 800)
      s = (s * 1103515245 + 12345) % 2147483648; y = int(s / 2147483648 * bottom)
      s = (s * 1103515245 + 12345) % 2147483648; r = (s % 7 == 0) ? 1.6 : 0.8
      printf "circle %d,%d %.1f,%d ", x, y, x + r, y
    }
  }'
}

# The title: a twilight sky over a hill.
png PNG24:"$out/bg/title.png" -size 800x380 gradient:'#070b26'-'#5b3a6e' \
  -size 800x220 gradient:'#5b3a6e'-'#e08a6a' -append \
  -fill '#fff8e0' -draw "$(stars 90 360 7)" \
  -fill '#140c24' -draw 'ellipse 560,700 520,190 0,360' \
  -fill '#1e1432' -draw 'ellipse 120,690 360,150 0,360'

# The title logo is drawn by the game itself (ObjectDraw drawText).

png PNG32:"$out/sys/start.png" -size 360x48 xc:none -font "$gothic" -pointsize 26 -gravity center \
  -stroke '#20103a' -strokewidth 6 -annotate +0+0 'クリックしてはじめる' \
  -stroke none -fill '#ffffff' -annotate +0+0 'クリックしてはじめる'

# The hill at night, where the story begins.
png PNG24:"$out/bg/hill.png" -size 800x600 gradient:'#02051a'-'#1c2a5c' \
  -fill '#ffffff' -draw "$(stars 140 420 11)" \
  -fill '#fff1b0' -draw 'circle 640,110 640,76' \
  -fill '#0a1024' -draw 'ellipse 400,760 700,330 0,360' \
  -fill '#101a34' -draw 'polygon 130,500 150,420 170,500' -draw 'polygon 690,470 712,380 734,470'

# The sea branch: moonlight on the water.
png PNG24:"$out/bg/sea.png" -size 800x340 gradient:'#060c2c'-'#2c4c8c' \
  -size 800x260 gradient:'#10306a'-'#020818' -append \
  -fill '#ffffff' -draw "$(stars 80 320 23)" \
  -fill '#fff4c0' -draw 'circle 400,200 400,160' \
  -fill '#c8d8ff' -draw 'rectangle 370,352 430,356' -draw 'rectangle 350,372 450,375' \
  -draw 'rectangle 330,394 470,396' -draw 'rectangle 380,418 420,420'

# The forest branch: trees and fireflies.
trees=""
x=-40
for h in 230 300 250 340 270 220 320 260 290 240; do
  trees="$trees polygon $x,600 $((x + 60)),$((600 - h)) $((x + 120)),600"
  x=$((x + 88))
done
png PNG24:"$out/bg/forest.png" -size 800x600 gradient:'#03140e'-'#1d4a34' \
  -fill '#0a2418' -draw "$trees" \
  -fill '#e8ff90' -draw "$(stars 40 380 5 | sed 's/ 0\.8,/ 1.8,/g')"

# The ending: dawn.
png PNG24:"$out/bg/dawn.png" -size 800x600 gradient:'#2a3a7a'-'#f6b27a' \
  -fill '#fff0c0' -draw 'circle 400,560 400,470' \
  -fill '#3a2440' -draw 'ellipse 400,760 700,300 0,360'

# The message window: a translucent panel with a light rim, and the empty
# layer the message text is written into (the rim's inner area).
png PNG32:"$out/sys/window.png" -size 760x156 xc:none \
  -fill '#0a0e2ae0' -stroke '#c8d4ffd0' -strokewidth 3 -draw 'roundrectangle 2,2 757,153 18,18' \
  -fill none -stroke '#ffffff40' -strokewidth 1 -draw 'roundrectangle 8,8 751,147 13,13'
png PNG32:"$out/sys/msgtext.png" -size 684x120 xc:none

# The two choice buttons: round corners are transparent, so the pixel under
# the pointer tells a button from the picture behind it.
button() {
  png PNG32:"$out/sys/$1.png" -size 340x84 xc:none \
    -fill "$2" -stroke '#f0f4ff' -strokewidth 3 -draw 'roundrectangle 3,3 336,80 30,30' \
    -font "$gothic" -pointsize 32 -gravity center -stroke none -fill '#ffffff' -annotate +0+0 "$3"
}
button sea '#2a5aa8' '海へ行く'
button forest '#2f7a4a' '森へ行く'

echo "assets in $out:"
du -ak "$out" | sort -k2
