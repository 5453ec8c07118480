#!/usr/bin/env bash
# Drives every "tessel-cli layer" operation end to end and checks the result
# through info: layer count, names, attributes and, for the alpha operations,
# the pixels of an exported layer.
. "$(cd "$(dirname "$0")" && pwd)/lib.sh" "$1"
count() { "$cli" info "$1" | grep -o '"name"' | wc -l | tr -d ' '; }
names() { "$cli" info "$1" | grep -o '"name":"[^"]*"' | sed 's/"name":"\(.*\)"/\1/' | paste -sd, -; }
field() { "$cli" info "$1" | grep -o "\"$2\":[a-z0-9]*" | sed 's/.*://' | paste -sd, -; }
current() { "$cli" info "$1" | sed -E 's/.*"current":([0-9]+).*/\1/'; }
layer() { "$cli" layer "$@"; }

"$cli" new 40 30 a.tsd
layer new a.tsd b.tsd;                               check "new" 0 $?
check "new names" "Layer1,Layer0" "$(names b.tsd)"
layer clone b.tsd c.tsd;                             check "clone" 0 $?
check "clone names" "Layer1,Layer1,Layer0" "$(names c.tsd)"
layer set c.tsd c2.tsd --name top --layer 0;         check "set name" 0 $?
check "named" "top,Layer1,Layer0" "$(names c2.tsd)"
layer delete c2.tsd d.tsd --layer 1;                 check "delete" 0 $?
check "deleted" "top,Layer0" "$(names d.tsd)"
layer delete a.tsd d1.tsd;                           check "delete only layer" 0 $?
check "only layer kept" 1 "$(count d1.tsd)"
layer merge-down b.tsd e.tsd;                        check "merge-down" 0 $?
check "merged down" "Layer0" "$(names e.tsd)"
layer merge-down b.tsd e2.tsd --layer 1;             check "merge-down bottom" 0 $?
check "bottom unchanged" 2 "$(count e2.tsd)"
layer merge-visible c.tsd f.tsd;                     check "merge-visible" 0 $?
check "merged visible" 1 "$(count f.tsd)"
layer merge-visible-keep c.tsd g.tsd;                check "merge-visible-keep" 0 $?
check "merged keep" 1 "$(count g.tsd)"
layer merge-new b.tsd h.tsd;                         check "merge-new" 0 $?
check "merge-new count" 3 "$(count h.tsd)"
check "merge-new current" 0 "$(current h.tsd)"
layer up b.tsd i.tsd --layer 1;                      check "up" 0 $?
check "up names" "Layer0,Layer1" "$(names i.tsd)"
check "up current" 0 "$(current i.tsd)"
layer down b.tsd j.tsd;                              check "down" 0 $?
check "down names" "Layer0,Layer1" "$(names j.tsd)"
layer move-to c2.tsd k.tsd 3 --layer 0;              check "move-to" 0 $?
check "moved to bottom" "Layer1,Layer0,top" "$(names k.tsd)"
layer move-to c2.tsd k2.tsd 1 --layer 0;             check "move-to own place" 0 $?
check "own place" "top,Layer1,Layer0" "$(names k2.tsd)"
layer visible c.tsd l.tsd none;                      check "visible none" 0 $?
check "none visible" "false,false,false" "$(field l.tsd visible)"
layer visible l.tsd l2.tsd current --layer 1;        check "visible current" 0 $?
check "current visible" "false,true,false" "$(field l2.tsd visible)"
layer visible l.tsd l3.tsd all;                      check "visible all" 0 $?
check "all visible" "true,true,true" "$(field l3.tsd visible)"

# A picture as a new layer; a missing one fails with the program's message.
"$cli" stroke a.tsd s.tsd --tool 4 --samples "2,2;30,20" --colour FF0000 --size 8
"$cli" convert s.tsd pic.png --alpha
layer from-file b.tsd m.tsd pic.png --layer 1;       check "from-file" 0 $?
check "from-file names" "Layer1,pic.png,Layer0" "$(names m.tsd)"
msg="$(layer from-file b.tsd x.tsd missing.png 2>&1)"; check "from-file missing" 1 $?
check "from-file message" "打开图像失败" "$msg"

layer set a.tsd n.tsd --name 线稿 --blend 1 --opacity-percent 50 --mask 2 --visible 0 --fill-reference 1
check "set" 0 $?
check "set name" "线稿" "$(names n.tsd)"
check "set fields" "1,64,2" "$(field n.tsd blend),$(field n.tsd opacity),$(field n.tsd mask)"
check "set flags" "false,true" "$(field n.tsd visible),$(field n.tsd fillReference)"
layer set a.tsd n2.tsd --name 一二三四五六七八九十一二三四五六七八九十;  check "long name" 0 $?
check "name cut at 31 bytes" "一二三四五六七八九十一二三四五" "$(names n2.tsd)"

# The stroke layer made transparent where an empty layer above it is.
layer new s.tsd t.tsd;                               check "new over stroke" 0 $?
for op in transparent copy multiply; do
  layer alpha-op t.tsd u.tsd "$op" --reference 0 --layer 1;  check "alpha-op $op" 0 $?
  "$cli" export-layer u.tsd 1 u.png && "$cli" export-layer a.tsd 0 empty.png
  cmp -s u.png empty.png;                            check "alpha-op $op clears" 0 $?
done
layer alpha-op t.tsd v.tsd outline --reference 1 --layer 0;  check "alpha-op outline" 0 $?
"$cli" export-layer v.tsd 0 v.png
cmp -s v.png empty.png;                              check "outline drawn" 1 $?

# The 101st layer: nothing changes, status 0.
cp a.tsd full.tsd
for n in $(seq 1 99); do layer new full.tsd full.tsd || break; done
check "hundred layers" 100 "$(count full.tsd)"
layer new full.tsd full2.tsd;                        check "101st layer" 0 $?
check "still a hundred" 100 "$(count full2.tsd)"

layer bogus a.tsd x.tsd 2>/dev/null;                 check "unknown op" 2 $?
layer move-to a.tsd x.tsd 2>/dev/null;               check "move-to without place" 2 $?
layer alpha-op a.tsd x.tsd copy 2>/dev/null;         check "alpha-op without reference" 2 $?
layer new a.tsd x.tsd --name x 2>/dev/null;          check "set option elsewhere" 2 $?
layer new a.tsd x.tsd --layer 5 2>/dev/null;         check "no such layer" 1 $?

if [ "$failures" -eq 0 ]; then echo "tessel-cli layer: all operations behaved"; fi
exit "$failures"
