#!/usr/bin/env bash
# tessel-cli text end to end: the text lands in the layer in the colour asked,
# both spellings of TEXT agree, and bad calls get the usage status.
. "$(cd "$(dirname "$0")" && pwd)/lib.sh" "$1"
# Pixels of the PNG with exactly this RGBA colour.
count() { convert "$1" -depth 8 txt:- | grep -c "#$2"; }

"$cli" new 60 50 a.tsd;                                                   check "new" 0 $?
"$cli" text a.tsd t.tsd 4 4 '中文\nAb' --size 12 --colour FF0000 2>err.txt; check "text" 0 $?
grep -q "NSimSun" err.txt;                                                check "names the stand-in face" 0 $?
"$cli" export-layer t.tsd 0 t.png
red=$(count t.png FF0000FF)
[ "$red" -gt 40 ];                                                        check "red glyph pixels ($red)" 0 $?
check "1-bit has no partial alpha" 0 "$(count t.png 'FF0000[0-9A-E][0-9A-F]')"
"$cli" text a.tsd t2.tsd 4 4 --text '中文
Ab' --colour FF0000 2>/dev/null;                                            check "--text" 0 $?
"$cli" export-layer t2.tsd 0 t2.png
cmp -s t.png t2.png;                                                      check "same picture" 0 $?
"$cli" text a.tsd v.tsd 40 2 '中文' --vertical --antialias 2>/dev/null;  check "vertical" 0 $?
"$cli" export-layer v.tsd 0 v.png
partial=$(count v.png '000000[0-9A-E][0-9A-F]')
[ "$partial" -gt 10 ];                                                    check "grey levels ($partial)" 0 $?
cmp -s t.png v.png;                                                       check "vertical differs" 1 $?
"$cli" text a.tsd x.png 4 4 2>/dev/null;                                  check "no text" 2 $?
"$cli" text a.tsd x.png 4 4 abc --size 0 2>/dev/null;                     check "size 0" 2 $?
"$cli" text a.tsd x.png 4 4 abc --char-space -501 2>/dev/null;            check "spacing range" 2 $?
"$cli" text a.tsd x.png 4 4 $'\xff' 2>/dev/null;                          check "not UTF-8" 2 $?
"$cli" text a.tsd x.png 4 4 abc --layer 3 2>/dev/null;                    check "no such layer" 1 $?

if [ "$failures" -eq 0 ]; then echo "tessel-cli text: all cases behaved"; fi
exit "$failures"
