#!/bin/sh
# Regenerates the image test files of this folder with real encoders
# (ImageMagick, cjpeg) and their reference decodes: for every file, the
# pixels as ImageMagick or djpeg decode them, as raw 8-bit R, G, B, A, and a
# line of refs.txt:
#   file reference width height [left top delay]
# (left, top and delay for the frames of GIF files, named file.frame).
# Needs imagemagick and libjpeg-turbo-progs (scripts/install-deps).
set -e
cd "$(dirname "$0")"
C=/usr/bin/convert
I=/usr/bin/identify
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The 8192 x 8192 file needs more pixel cache than the system policy allows.
cat > "$work/policy.xml" <<'EOF'
<policymap>
  <policy domain="resource" name="area" value="1GP"/>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="disk" value="4GiB"/>
</policymap>
EOF

rm -f ./*.bmp ./*.png ./*.jpg ./*.gif ./*.rgba refs.txt
# Only the chunks a test asks for.
NOCHUNKS="-define png:exclude-chunk=bKGD,cHRM,date,gAMA,iCCP,sRGB,tEXt,tIME,vpAg,zTXt,pHYs"
KEEPGAMMA="-define png:exclude-chunk=bKGD,cHRM,date,iCCP,sRGB,tEXt,tIME,vpAg,zTXt,pHYs"

ref() {  # file [frame]
    src=$1
    name=$1
    [ -n "$2" ] && src="$1[$2]" && name="$1.$2"
    $C "$src" -depth 8 "rgba:$name.rgba"
    if [ -n "$2" ]; then
        $I -format "$name $name.rgba %w %h %X %Y %T\n" "$src" | sed 's/ +/ /g' >> refs.txt
    else
        $I -format "$name $name.rgba %w %h\n" "$src" >> refs.txt
    fi
}

# Sources: odd widths, so row padding matters.
$C -size 9x5 -seed 3 plasma:fractal -depth 8 "$work/rgb.png"
$C "$work/rgb.png" -alpha set -channel A -fx "(i+j)/(w+h)" +channel -depth 8 "$work/rgba.png"
$C "$work/rgb.png" -colors 6 "$work/six.png"

# BMP: 1 bit (width 9), 4, 8, 24, 32 (with alpha), 16 and RLE.
$C "$work/rgb.png" -colors 2 -type Palette -compress none BMP3:bmp1.bmp
$C "$work/rgb.png" -colors 16 -compress none BMP3:bmp4.bmp
$C "$work/rgb.png" -colors 200 -compress none BMP3:bmp8.bmp
$C "$work/rgb.png" -type TrueColor BMP3:bmp24.bmp
$C "$work/rgba.png" BMP:bmp32.bmp
$C "$work/rgb.png" -type TrueColor -define bmp:subtype=RGB565 BMP:bmp16.bmp
$C "$work/rgb.png" -colors 200 -compress RLE BMP3:bmp8rle.bmp
for f in bmp1 bmp4 bmp8 bmp24 bmp32; do ref $f.bmp; done

# PNG: every colour type and bit depth.
for d in 1 2 4 8 16; do
    $C "$work/rgb.png" -colorspace Gray -depth 8 -define png:color-type=0 -define png:bit-depth=$d $NOCHUNKS grey$d.png
    ref grey$d.png
done
for d in 1 2 4 8; do
    n=$((1 << d)); [ $n -gt 200 ] && n=200
    $C "$work/rgb.png" -colors $n -define png:color-type=3 -define png:bit-depth=$d $NOCHUNKS palette$d.png
    ref palette$d.png
done
for d in 8 16; do
    $C "$work/rgb.png" -define png:color-type=2 -define png:bit-depth=$d $NOCHUNKS rgb$d.png
    $C "$work/rgba.png" -colorspace Gray -define png:color-type=4 -define png:bit-depth=$d $NOCHUNKS greyalpha$d.png
    $C "$work/rgba.png" -define png:color-type=6 -define png:bit-depth=$d $NOCHUNKS rgba$d.png
    ref rgb$d.png; ref greyalpha$d.png; ref rgba$d.png
done
# Transparency chunks on grey, RGB and palette images: the top-left colour.
corner=$($C "$work/rgb.png" -format '%[pixel:p{0,0}]' info:)
greycorner=$($C "$work/rgb.png" -colorspace Gray -format '%[pixel:p{0,0}]' info:)
$C "$work/rgb.png" -colorspace Gray -transparent "$greycorner" -define png:color-type=0 -define png:bit-depth=8 $NOCHUNKS grey8trns.png
$C "$work/rgb.png" -transparent "$corner" -define png:color-type=2 -define png:bit-depth=8 $NOCHUNKS rgb8trns.png
$C "$work/six.png" -alpha set -fill none -draw "color 0,0 replace" -define png:bit-depth=4 $NOCHUNKS PNG8:palette4trns.png
ref grey8trns.png; ref rgb8trns.png; ref palette4trns.png
# A file gamma of 1.0: the decoder corrects it for the 2.2 screen.  The
# reference holds the samples as stored (ImageMagick would correct them on
# reading): those of the source.
$C "$work/rgb.png" -set gamma 1.0 -define png:color-type=2 -define png:bit-depth=8 $KEEPGAMMA rgb8gamma.png
$C "$work/rgba.png" -set gamma 1.0 -define png:color-type=6 -define png:bit-depth=16 $KEEPGAMMA rgba16gamma.png
for f in rgb8gamma:rgb rgba16gamma:rgba; do
    $C "$work/${f#*:}.png" -depth 8 "rgba:${f%:*}.png.rgba"
    $I -format "${f%:*}.png ${f%:*}.png.rgba %w %h\n" "$work/${f#*:}.png" >> refs.txt
done
# Adam7.
$C -size 11x9 -seed 4 plasma:fractal -depth 8 -alpha set -channel A -fx "i/w" +channel -interlace PNG \
    -define png:color-type=6 $NOCHUNKS rgba8interlaced.png
ref rgba8interlaced.png
# The largest accepted size, and one pixel more either way.
MAGICK_CONFIGURE_PATH=$work $C -size 8192x8192 xc:"#336699" -define png:bit-depth=1 $NOCHUNKS PNG8:side8192.png
$C -size 8193x1 xc:"#336699" $NOCHUNKS PNG8:wide8193.png
$C -size 1x8193 xc:"#336699" $NOCHUNKS PNG8:tall8193.png

# JPEG: colour (4:2:0, odd size), progressive, grey, a flat grey of 0x40, CMYK.
$C -size 13x7 -seed 8 plasma:fractal -depth 8 "$work/photo.ppm"
cjpeg -quality 85 "$work/photo.ppm" > colour.jpg
cjpeg -quality 85 -progressive "$work/photo.ppm" > progressive.jpg
cjpeg -quality 85 -grayscale "$work/photo.ppm" > grey.jpg
$C -size 8x8 xc:"#404040" -colorspace Gray "$work/flat.pgm"
cjpeg -grayscale "$work/flat.pgm" > grey40.jpg
$C "$work/photo.ppm" -colorspace CMYK cmyk.jpg
for f in colour progressive grey grey40; do
    djpeg -pnm $f.jpg > "$work/$f.pnm"
    $C "$work/$f.pnm" -depth 8 "rgba:$f.jpg.rgba"
    $I -format "$f.jpg $f.jpg.rgba %w %h\n" "$work/$f.pnm" >> refs.txt
done

# GIF: an animation whose frames differ in size and place (the first a
# 10 x 10 frame at 5, 2 of a 20 x 20 screen), two with colour tables of
# their own, the last back on the global table; and an interlaced picture
# with a transparent colour.
$C -size 10x10 -seed 5 plasma:red-yellow -colors 16 "$work/f0.png"
$C -size 6x4 -seed 6 plasma:blue-green -colors 8 "$work/f1.png"
$C "$work/f0.png" -resize 20x20! "$work/f2.png"
$C -loop 3 -delay 10 -page 20x20+5+2 "$work/f0.png" -delay 25 -page 20x20+1+3 "$work/f1.png" \
    -delay 7 -page 20x20+0+0 "$work/f2.png" -delay 5 -page 20x20+8+9 "$work/f0.png" animated.gif
for i in 0 1 2 3; do ref animated.gif $i; done
$C -size 11x19 -seed 7 plasma:fractal -colors 32 "$work/g.png"
$C "$work/g.png" -transparent "$($C "$work/g.png" -format '%[pixel:p{0,0}]' info:)" -interlace GIF interlaced.gif
ref interlaced.gif
