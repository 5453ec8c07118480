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
"$cli" text a.tsd at.tsd 40 2 '中文' --vertical --antialias --font '@NSimSun' 2>err.txt
check "@ face" 0 $?
grep -q "used '@" err.txt;                                                check "names the @ stand-in" 0 $?
"$cli" text a.tsd plain.tsd 40 2 '中文' --vertical --antialias --font 'NSimSun' 2>/dev/null
"$cli" export-layer at.tsd 0 at.png; "$cli" export-layer plain.tsd 0 plain.png
cmp -s at.png plain.png;                                                  check "@ stands ideographs up" 1 $?
"$cli" fonts > fonts.txt;                                                 check "fonts" 0 $?
# Every "@" face follows its own family.
awk '/^@/ && prev != substr($0, 2) { bad = 1 } { prev = $0 } END { exit bad }' fonts.txt
check "@ twins follow their family" 0 $?
grep -q '^@' fonts.txt;                                                   check "a CJK family has its @ face" 0 $?
"$cli" fonts extra 2>/dev/null;                                           check "fonts takes nothing" 2 $?
"$cli" text a.tsd x.png 4 4 2>/dev/null;                                  check "no text" 2 $?
"$cli" text a.tsd x.png 4 4 abc --size 0 2>/dev/null;                     check "size 0" 2 $?
"$cli" text a.tsd x.png 4 4 abc --char-space -501 2>/dev/null;            check "spacing range" 2 $?
"$cli" text a.tsd x.png 4 4 $'\xff' 2>/dev/null;                          check "not UTF-8" 2 $?
"$cli" text a.tsd x.png 4 4 abc --layer 3 2>/dev/null;                    check "no such layer" 1 $?

if [ "$failures" -eq 0 ]; then echo "tessel-cli text: all cases behaved"; fi
exit "$failures"
