#!/usr/bin/env bash
# Drives tessel-cli end to end: every command once, sizes checked through info,
# and the exit status of bad calls.
. "$(cd "$(dirname "$0")" && pwd)/lib.sh" "$1"
size() { "$cli" info "$1" | sed -E 's/.*"width":([0-9]+),"height":([0-9]+).*/\1x\2/'; }

"$cli" new 40 30 a.tsd;                                         check "new" 0 $?
check "new size" 40x30 "$(size a.tsd)"
"$cli" stroke a.tsd b.tsd --tool 4 --samples "5,5;30,20" --colour FF0000; check "stroke" 0 $?
"$cli" filter gaussian-blur strength=3 b.tsd c.tsd --rect 0,0,20,30;  check "filter" 0 $?
"$cli" filter invert b.tsd d.png;                               check "filter to png" 0 $?
check "png size" 40x30 "$(size d.png)"
"$cli" resize c.tsd e.tsd 80 60 --method bilinear;              check "resize" 0 $?
check "resized" 80x60 "$(size e.tsd)"
"$cli" canvas-size e.tsd f.tsd 100 70 --anchor 8 --fill white;  check "canvas-size" 0 $?
check "canvas" 100x70 "$(size f.tsd)"
"$cli" rotate-cw f.tsd g.tsd;                                   check "rotate" 0 $?
check "rotated" 70x100 "$(size g.tsd)"
"$cli" flip-h g.tsd g2.tsd;                                     check "flip" 0 $?
"$cli" crop g2.tsd h.tsd 5,5,20,10;                             check "crop" 0 $?
check "cropped" 20x10 "$(size h.tsd)"
"$cli" export-layer b.tsd 0 layer.png;                          check "export-layer" 0 $?
"$cli" thumbnail b.tsd thumb.png 20;                           check "thumbnail" 0 $?
check "thumbnail fits" 20x15 "$(size thumb.png)"
"$cli" thumbnail b.tsd thumb.png 0 2>/dev/null;                 check "thumbnail size 0" 2 $?
"$cli" convert b.tsd b.ora && "$cli" thumbnail b.ora thumb.png 20; check "ora thumbnail" 0 $?
check "ora thumbnail fits" 20x15 "$(size thumb.png)"
"$cli" thumbnail b.ora big.png 300;                          check "ora thumbnail at 300" 0 $?
check "ora thumbnail never enlarged" 40x30 "$(size big.png)"
"$cli" convert b.tsd b.psd && "$cli" convert b.psd b2.tsd;      check "psd round trip" 0 $?
"$cli" convert b.tsd q0.jpg --jpeg-quality 0;                   check "jpeg quality 0" 0 $?
"$cli" convert b.tsd q255.jpg --jpeg-quality 255;               check "jpeg quality 255" 0 $?
"$cli" convert b.tsd q1.jpg --jpeg-quality 1 && cmp -s q0.jpg q1.jpg; check "quality 0 writes as 1" 0 $?
"$cli" convert b.tsd q.jpg --jpeg-quality 256 2>/dev/null;       check "jpeg quality 256" 2 $?
"$cli" convert b.tsd q.png --png-level 10 2>/dev/null;           check "png level 10" 2 $?
"$cli" filters | grep -q '^gaussian-blur';                      check "filters lists" 0 $?
"$cli" filter no-such-filter a.tsd x.tsd 2>/dev/null;           check "unknown filter" 2 $?
"$cli" filter gamma gamma=x a.tsd x.tsd 2>/dev/null;            check "bad parameter" 2 $?
"$cli" info missing.tsd 2>/dev/null;                            check "missing file" 1 $?
"$cli" new 4501 10 big.tsd 2>/dev/null;                         check "too large" 1 $?

# selection: layer 0 of b.tsd as PNG, to compare pixels.
same() { "$cli" export-layer "$1" 0 x1.png && "$cli" export-layer "$2" 0 x2.png && cmp -s x1.png x2.png; }
sel() { "$cli" selection "$@"; }
sel b.tsd s1.tsd --rect 2,2,6,6 rotate-cw && sel s1.tsd s2.tsd --rect 2,2,6,6 rotate-cw &&
  sel s2.tsd s3.tsd --rect 2,2,6,6 rotate-cw && sel s3.tsd s4.tsd --rect 2,2,6,6 rotate-cw
check "selection rotate-cw x4" 0 $?
same b.tsd s4.tsd;                                              check "four quarter turns restore" 0 $?
same b.tsd s1.tsd;                                              check "one quarter turn changes" 1 $?
sel b.tsd s5.tsd --rect 0,0,40,30 tile-all && same b.tsd s5.tsd; check "tile of the whole canvas" 0 $?
sel b.tsd s6.tsd --rect 3,3,10,8 scale 10 8 && same b.tsd s6.tsd; check "scale to the same size" 0 $?
sel b.tsd s7.tsd --rect 3,3,10,8 rotate 0 --smooth && same b.tsd s7.tsd; check "rotate 0" 0 $?
sel b.tsd s8.tsd --rect 3,3,10,8 rotate 30 --smooth && ! same b.tsd s8.tsd; check "rotate 30" 0 $?
sel b.tsd s9.tsd --rect 5,5,1,1 fill --fg 00FF00 && ! same b.tsd s9.tsd; check "one-pixel fill" 0 $?
sel b.tsd s10.tsd --rect 0,0,20,30 flip-h && sel s10.tsd s11.tsd --rect 0,0,20,30 flip-h && same b.tsd s11.tsd
check "flip twice" 0 $?
sel b.tsd s12.tsd --rect 4,4,10,5 crop;                         check "selection crop" 0 $?
check "selection cropped" 10x5 "$(size s12.tsd)"
for op in tile-h tile-v cut erase "scale 5 20 --method bilinear" flip-v rotate-ccw; do
  sel b.tsd s13.tsd --rect 4,4,10,5 $op;                        check "selection $op" 0 $?
done
"$cli" stroke a.tsd m.tsd --tool 0 --samples "1,1;2,2" --mask-mode 3; check "mask mode 3" 0 $?
sel m.tsd refused.tsd --rect 0,0,10,10 erase 2>err.txt;         check "erase refused" 1 $?
check "refusal says so" 1 "$(grep -c 'erase refused' err.txt)"
check "no file written" no "$([ -e refused.tsd ] && echo yes || echo no)"
sel b.tsd x.tsd --rect 0,0,4,4 twirl 2>/dev/null;               check "unknown op" 2 $?
sel b.tsd x.tsd rotate-cw 2>/dev/null;                          check "no rect" 2 $?
sel b.tsd x.tsd --rect 50,50,4,4 fill 2>/dev/null;              check "rect outside" 2 $?
sel b.tsd x.tsd --rect 0,0,4,4 erase --layer 3 2>/dev/null;     check "no such layer" 1 $?

if [ "$failures" -eq 0 ]; then echo "tessel-cli: all commands behaved"; fi
exit "$failures"
