#!/usr/bin/env bash
# Drives tessel-cli shape, fill and gradient end to end: results that must
# equal another way of drawing the same pixels, and the exit status of bad calls.
. "$(cd "$(dirname "$0")" && pwd)/lib.sh" "$1"
same() {   # description, two documents whose top layers must be equal
  "$cli" export-layer "$2" 0 "$2.png" && "$cli" export-layer "$3" 0 "$3.png" && cmp -s "$2.png" "$3.png"
  check "$1" 0 $?
}
differ() {
  "$cli" export-layer "$2" 0 "$2.png" && "$cli" export-layer "$3" 0 "$3.png" && ! cmp -s "$2.png" "$3.png"
  check "$1" 0 $?
}

"$cli" new 40 30 a.tsd
# Ctrl: (10, 4) snaps horizontal.
"$cli" shape a.tsd snap.tsd --tool 1 --kind line --points "2,2;12,6" --ctrl;   check "line" 0 $?
"$cli" shape a.tsd flat.tsd --tool 1 --kind line --points "2,2;12,2"
same "ctrl snaps the line" snap.tsd flat.tsd
differ "the line draws" a.tsd flat.tsd
# Bezier given P0, P3, P1, P2 with the controls at the end: the line.
"$cli" shape a.tsd bez.tsd --tool 1 --kind bezier --points "2,2;30,30;30,30;30,30"
"$cli" shape a.tsd diag.tsd --tool 1 --kind line --points "2,2;30,30"
same "straight bezier" bez.tsd diag.tsd
# Ctrl squares a box; Shift centres it on the first point.
"$cli" shape a.tsd sq.tsd --tool 0 --kind rect-fill --points "5,5;9,20" --ctrl --colour 00FF00
"$cli" shape a.tsd sq2.tsd --tool 0 --kind rect-fill --points "5,5;20,20" --colour 00FF00
same "ctrl squares" sq.tsd sq2.tsd
"$cli" shape a.tsd c.tsd --tool 0 --kind rect --points "10,10;14,12" --shift
"$cli" shape a.tsd c2.tsd --tool 0 --kind rect --points "6,8;14,12"
same "shift centres" c.tsd c2.tsd
for kind in ellipse ellipse-fill; do
  "$cli" shape a.tsd e.tsd --tool 2 --kind $kind --points "5,5;30,25";       check "$kind" 0 $?
done
"$cli" shape a.tsd p.tsd --tool 4 --kind polyline --points "2,2;20,2;20,20";  check "polyline" 0 $?
"$cli" shape a.tsd k.tsd --tool 4 --kind concentrated --points "2,2;20,2;20,20"; check "concentrated" 0 $?
"$cli" shape a.tsd s.tsd --tool 2 --kind spline --points "2,2;20,10;30,25";   check "spline" 0 $?

# A parallel guide at 0 degrees keeps a wandering stroke on its row.
"$cli" stroke a.tsd guided.tsd --tool 1 --samples "2,5;10,9;20,7" --guide parallel:0;  check "guided stroke" 0 $?
"$cli" shape a.tsd row.tsd --tool 1 --kind line --points "2,5;20,5"
same "parallel guide" guided.tsd row.tsd
"$cli" stroke a.tsd x.tsd --tool 1 --samples "2,5;9,9" --guide spiral:3 2>/dev/null;  check "unknown guide" 2 $?

# Fill: black everywhere, then a zero-length white-to-black gradient is white.
"$cli" fill a.tsd black.tsd 3 3 --colour 000000;                   check "fill" 0 $?
"$cli" fill a.tsd white.tsd 3 3 --colour FFFFFF
"$cli" gradient black.tsd g.tsd 4,4 4,4 --grad 1;                  check "gradient" 0 $?
same "zero-length gradient is entry 0" g.tsd white.tsd
"$cli" fill a.tsd out.tsd 40 3 --colour 000000;                    check "fill outside" 0 $?
same "fill outside changes nothing" out.tsd a.tsd
"$cli" fill black.tsd erased.tsd 1 1 --ctrl;                       check "erasing fill" 0 $?
same "ctrl fill at 255 erases" erased.tsd a.tsd
for t in 0 1 2 3 4 5 7; do
  "$cli" gradient black.tsd g$t.tsd 5,5 30,20 --draw-type $t --grad 3;  check "gradient type $t" 0 $?
done
# Rectangle types give the box, ellipse types the radial, other types the linear.
same "filled rectangle type is the box" g2.tsd g3.tsd
same "filled ellipse type is the radial" g4.tsd g5.tsd
same "line type is the linear" g0.tsd g1.tsd
differ "box and radial differ" g2.tsd g4.tsd
differ "angular and linear differ" g7.tsd g0.tsd

"$cli" shape a.tsd x.tsd --tool 1 --kind star --points "1,1;2,2" 2>/dev/null;  check "unknown kind" 2 $?
"$cli" shape a.tsd x.tsd --tool 1 --kind bezier --points "1,1;2,2" 2>/dev/null; check "too few points" 2 $?
"$cli" shape a.tsd x.tsd --tool 15 --kind line --points "1,1;2,2" 2>/dev/null;  check "not a painting tool" 2 $?
"$cli" fill a.tsd x.tsd 3 2>/dev/null;                             check "fill without Y" 2 $?
"$cli" gradient a.tsd x.tsd 1,1 2 2>/dev/null;                     check "bad end" 2 $?
"$cli" fill a.tsd x.tsd 3 3 --layer 5 2>/dev/null;                 check "no such layer" 1 $?

if [ "$failures" -eq 0 ]; then echo "tessel-cli: shape, fill and gradient behaved"; fi
exit "$failures"
