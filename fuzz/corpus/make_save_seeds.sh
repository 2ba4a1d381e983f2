#!/bin/sh
# Makes the seed files of the save loading fuzz target: save files written
# by the engine itself (run headless on a small game), holding records of
# every kind its variables and objects take.  BUILD is a build folder.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: make_save_seeds.sh BUILD}
work=$(mktemp -d)
mkdir -p "$work/src"
cat > "$work/src/main.vrs" <<'GAME'
global int grid[4,3]
global float row[5]
global str texts[5]
global int one = 0
*SYSTEM_START
grid[3,2] = -77
row[1] = 0.25
texts[0] = "日本語"
texts[3] = "x"
ObjectSet path="pic/" width=4 height=4 order=1
SaveCommand record=1 variable=&grid
SaveCommand record=2 variable=&row
SaveCommand record=3 variable=&texts
SaveCommand file="a" record=4 object="pic/"
SaveCommand record=2 variable=grid[1,1]
SaveCommand record=4 variable=texts[0]
SaveCommand file="b" record=1 variable=row[1]
SaveCommand file="b" record=3 variable=&row
SaveCommand file="b" record=1 variable=&texts
EndProgram
GAME
"$build/tools/vrc/vrc" build "$work/src" --out "$work/game"
timeout 20 "$build/src/virelo" --headless --frames 3 "$work/game"
cp "$work/game/save/a.sd" "$here/save_load_fuzz/records.sd"
cp "$work/game/save/b.sd" "$here/save_load_fuzz/rewritten.sd"
rm -rf "$work"
