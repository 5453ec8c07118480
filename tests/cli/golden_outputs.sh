#!/usr/bin/env bash
# Runs a fixed list of tessel-cli commands — strokes of every tool and mask
# mode, shapes, fill, gradients, text, every filter, every format, every layer
# and selection command — and compares the SHA-256 of each output with the
# list beside this script. A refactoring must leave every line equal.
# TESSEL_GOLDEN_WRITE=1 writes the list anew (only for an intended change).
here="$(cd "$(dirname "$0")" && pwd)"
list="$here/golden_outputs.txt"
. "$here/lib.sh" "$(realpath "$1")"
got="$work/got.txt"
: >"$got"
out() {   # name: record the hash of file name
  if [ -f "$1" ]; then echo "$1 $(sha256sum "$1" | cut -c1-64)" >>"$got"
  else echo "$1 missing" >>"$got"; fi
}
run() {   # name command...: run, record status and the output named first
  local name="$1"; shift
  "$cli" "$@" >/dev/null 2>&1
  local status=$?
  [ "$status" -eq 0 ] || echo "$name status $status" >>"$got"
  out "$name"
}

# A small picture with two painted layers and a soft edge, the base of all.
"$cli" new 64 48 empty.tsd >/dev/null
"$cli" stroke empty.tsd p1.tsd --tool 4 --size 12 --colour C03020 \
  --samples "4,6;20,30,0.5;40,10;60,40" >/dev/null
"$cli" layer new p1.tsd p2.tsd >/dev/null
"$cli" stroke p2.tsd p3.tsd --tool 2 --size 8 --colour 2040E0 \
  --samples "2,40;30,4,0.7;62,30" >/dev/null
"$cli" fill p3.tsd base.tsd 1 1 --colour 80C040 --layer 1 >/dev/null
out base.tsd

for tool in 0 1 2 3 4 5 6 7 8 9 10 11 12 13; do
  for mask in 0 1 2 3; do
    run "s$tool-$mask.tsd" stroke base.tsd "s$tool-$mask.tsd" --tool $tool --size 9 \
      --colour 30A0F0 --mask-mode $mask --seed 7 --samples "3,3;20,25,0.4;45,15,0.9;60,44"
  done
done
for g in parallel:30 concentrated:32,24 circle:32,24 ellipse:32,24,20,10 grid:15; do
  run "guide-${g%%:*}.tsd" stroke base.tsd "guide-${g%%:*}.tsd" --tool 1 --guide $g \
    --samples "10,10;20,14;30,30"
done

for kind in line rect rect-fill ellipse ellipse-fill; do
  for tool in 0 2 4; do
    run "shape-$kind-$tool.tsd" shape base.tsd "shape-$kind-$tool.tsd" --tool $tool \
      --kind $kind --points "6,5;50,40" --size 5 --colour 101010
  done
  run "shape-$kind-ctrl.tsd" shape base.tsd "shape-$kind-ctrl.tsd" --tool 2 --kind $kind \
    --points "10,10;40,30" --ctrl --shift
done
for kind in polyline concentrated spline; do
  run "shape-$kind.tsd" shape base.tsd "shape-$kind.tsd" --tool 2 --kind $kind \
    --points "4,4;30,8;50,40;10,44" --size 4
done
run shape-bezier.tsd shape base.tsd shape-bezier.tsd --tool 2 --kind bezier --points "4,40;60,40;10,2;50,2"

run fill.tsd fill base.tsd fill.tsd 30 20 --colour 0000FF
run fill-ctrl.tsd fill base.tsd fill-ctrl.tsd 30 20 --ctrl
run fill-shift.tsd fill base.tsd fill-shift.tsd 30 20 --shift --colour FF00FF
run fill-alt.tsd fill base.tsd fill-alt.tsd 30 20 --alt --colour 00FFFF
run fill-paint0.tsd fill base.tsd fill-paint0.tsd 30 20 --paint 0 --opacity 128
run fill-ref.tsd fill base.tsd fill-ref.tsd 5 40 --paint 3 --layer 0

for table in 0 1 2 3 4; do
  for t in 0 2 4 7; do
    run "grad-$table-$t.tsd" gradient base.tsd "grad-$table-$t.tsd" 8,6 50,40 \
      --grad $table --draw-type $t --fg 102030 --bg F0E0D0
  done
done
run grad-shift.tsd gradient base.tsd grad-shift.tsd 20,10 40,30 --grad 3 --shift
run grad-alt.tsd gradient base.tsd grad-alt.tsd 20,10 30,20 --grad 1 --alt
run grad-band.tsd gradient base.tsd grad-band.tsd 0,0 63,47 --grad 8403 --opacity 200

font="WenQuanYi Micro Hei"
run text.tsd text base.tsd text.tsd 4 4 "文字 Tessel" --font "$font" --size 10
run text-aa.tsd text base.tsd text-aa.tsd 4 4 "永和 AB" --font "$font" --size 14 --antialias --bold
run text-v.tsd text base.tsd text-v.tsd 50 2 "竖排，AB" --font "$font" --size 9 --vertical --char-space 2

for f in $("$cli" filters | grep -E '^[a-z]' | cut -d' ' -f1); do
  run "filter-$f.tsd" filter "$f" base.tsd "filter-$f.tsd" --seed 3 --fg 204060 --bg E0C0A0
done
# Filters whose defaults change nothing here, with values that do.
run filter-gamma-150.tsd filter gamma gamma=150 base.tsd filter-gamma-150.tsd
run filter-rgb-2.tsd filter rgb r=40 g=-20 b=7 base.tsd filter-rgb-2.tsd
run filter-reduce-4.tsd filter reduce-colours colours=1 base.tsd filter-reduce-4.tsd
run filter-replace-2.tsd filter replace-colour from=2040E0 to=FFEE00 base.tsd filter-replace-2.tsd
run filter-offset-2.tsd filter offset x=10 y=5 base.tsd filter-offset-2.tsd
for f in fg-to-transparent fg-to-bg non-fg-to-transparent; do
  run "filter-$f-2.tsd" filter "$f" base.tsd "filter-$f-2.tsd" --fg 2040E0 --bg 00FF00
done
run filter-rect.tsd filter gaussian-blur strength=4 base.tsd filter-rect.tsd --rect 10,8,30,20

for ext in png bmp jpg gif psd vrw tsd; do run "conv.$ext" convert base.tsd "conv.$ext"; done
run conv-alpha.png convert base.tsd conv-alpha.png --alpha --png-level 9
run conv-q.jpg convert base.tsd conv-q.jpg --jpeg-quality 40 --jpeg-subsample
run conv-t.gif convert base.tsd conv-t.gif --gif-transparent 80C040
for ext in png bmp jpg gif psd vrw; do run "back-$ext.tsd" convert "conv.$ext" "back-$ext.tsd"; done
run thumb.png thumbnail base.tsd thumb.png 32
run thumb-psd.png thumbnail conv.psd thumb-psd.png 20
run layer0.png export-layer base.tsd 0 layer0.png

for op in new clone delete merge-down merge-visible merge-visible-keep merge-new up down; do
  run "layer-$op.tsd" layer "$op" base.tsd "layer-$op.tsd"
done
run layer-move.tsd layer move-to base.tsd layer-move.tsd 2 --layer 0
run layer-vis.tsd layer visible base.tsd layer-vis.tsd none
run layer-set.tsd layer set base.tsd layer-set.tsd --name 图层甲 --blend 5 --opacity-percent 40 --mask 2
run layer-file.tsd layer from-file base.tsd layer-file.tsd conv.png
for op in transparent copy multiply outline; do
  run "layer-alpha-$op.tsd" layer alpha-op base.tsd "layer-alpha-$op.tsd" "$op" --reference 1
done

for op in flip-h flip-v rotate-cw rotate-ccw tile-all tile-h tile-v erase cut crop; do
  run "sel-$op.tsd" selection base.tsd "sel-$op.tsd" --rect 10,8,24,18 "$op"
done
run sel-rotate.tsd selection base.tsd sel-rotate.tsd --rect 10,8,24,18 rotate 30 --smooth
run sel-scale.tsd selection base.tsd sel-scale.tsd --rect 10,8,24,18 scale 30 12 --method bilinear
run sel-fill.tsd selection base.tsd sel-fill.tsd --rect 10,8,24,18 fill --fg 123456

for m in nearest bilinear lanczos3; do run "resize-$m.tsd" resize base.tsd "resize-$m.tsd" 41 77 --method $m; done
run canvas.tsd canvas-size base.tsd canvas.tsd 80 40 --anchor 2 --fill fg --fg 445566
for op in flip-h flip-v rotate-cw rotate-ccw; do run "$op.tsd" "$op" base.tsd "$op.tsd"; done
run crop.tsd crop base.tsd crop.tsd 5,5,30,20

if [ "${TESSEL_GOLDEN_WRITE:-0}" = 1 ]; then
  cp "$got" "$list"; echo "golden: wrote $(wc -l <"$list") lines to $list"; exit 0
fi
if ! diff "$list" "$got" >"$work/diff.txt"; then
  grep '^[<>]' "$work/diff.txt" | head -n 40
  failures=$((failures + $(grep -c '^>' "$work/diff.txt")))
fi
echo "golden: $(wc -l <"$got") outputs, $failures differ"
[ "$failures" -eq 0 ]
