#!/bin/sh
# A real window: paint on two layers, wait for the autosave, kill -9, start
# again, accept the recovery, save, and compare every layer with the
# autosaved state. Skips (77) without Xvfb, openbox or xdotool.
# Usage: recovery_window_test.sh TESSEL TESSEL-CLI
set -u
tessel=$1 cli=$2
for tool in Xvfb openbox xdotool; do
  command -v $tool >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
pids=""
cleanup() { for p in $pids; do kill -9 "$p" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $* (display $DISPLAY)"; cat "$work/log" 2>/dev/null | grep -v XDG | tail -5; exit 1; }

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 >/dev/null 2>&1 & pids="$pids $!"
for i in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 & pids="$pids $!"
export TESSEL_HOME="$work/home" TESSEL_AUTOSAVE_SECONDS=2 TMPDIR="$work"
mkdir -p "$TESSEL_HOME"
printf '[Window]\nMainShowCmd=1\nMainLeft=0\nMainTop=0\nMainRight=900\nMainBottom=700\n[Env]\nDefImgW=200\nDefImgH=150\n' > "$TESSEL_HOME/config.ini"

window() {   # waits for a window whose title contains $1 (${2:-100} tenths of a second)
  for i in $(seq ${2:-100}); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
key() {   # real key presses (Qt ignores sent events) into the active window $1
  xdotool windowactivate --sync "$1" >/dev/null 2>&1; shift; xdotool key "$@"
}
stroke() {   # a drag across the window's middle at height $2
  xdotool mousemove --window "$1" 380 "$2" mousedown 1
  for x in 400 430 460 490 520; do xdotool mousemove --window "$1" $x "$2"; sleep 0.02; done
  xdotool mouseup 1
}

"$tessel" 2>>"$work/log" & pid=$!; pids="$pids $pid"
w=$(window "Tessel2" 300) || fail "no main window"
sleep 1
xdotool windowactivate --sync "$w" >/dev/null 2>&1
stroke "$w" 330
key "$w" alt+shift+n
sleep 0.3
stroke "$w" 360
for i in $(seq 100); do ls "$TESSEL_HOME"/recovery/*.txt >/dev/null 2>&1 && break; sleep 0.1; done
ls "$TESSEL_HOME"/recovery/*.txt >/dev/null 2>&1 || fail "no autosave"
cp "$TESSEL_HOME"/recovery/*.tsd "$work/painted.tsd"
kill -9 $pid
sleep 0.3

"$tessel" 2>>"$work/log" & pid=$!; pids="$pids $pid"
q=$(window "恢复文件") || fail "no recovery question"
key "$q" Return
w=$(window "Tessel2") || fail "no main window after recovery"
sleep 0.5
d=""
for try in 1 2 3; do   # a click on the status bar brings the keys back from a panel
  xdotool mousemove --window "$w" 450 688 click 1
  key "$w" ctrl+s
  d=$(window "另存为" 20) && break
done
[ -n "$d" ] || fail "no save dialog"
sleep 0.5
xdotool windowactivate --sync "$d" >/dev/null 2>&1; xdotool type "$work/saved.tsd"; sleep 0.3; xdotool key Return
for i in $(seq 100); do [ -s "$work/saved.tsd" ] && break; sleep 0.1
  [ $i = 20 ] && xdotool key Return   # the name field's completer may take the first one
done
[ -s "$work/saved.tsd" ] || fail "not saved"
sleep 0.5
ls "$TESSEL_HOME"/recovery/*.tsd >/dev/null 2>&1 && fail "recovery file left after the save"

# Every layer of the saved file against the autosaved one.
"$cli" info "$work/painted.tsd" > "$work/a.json" || fail "cli info"
"$cli" info "$work/saved.tsd" > "$work/b.json" || fail "cli info"
grep -q '"layers"' "$work/a.json" || fail "no layers in $(cat "$work/a.json")"
for n in 0 1; do
  "$cli" export-layer "$work/painted.tsd" $n "$work/a$n.png" && "$cli" export-layer "$work/saved.tsd" $n "$work/b$n.png" ||
    fail "cannot export layer $n"
  cmp -s "$work/a$n.png" "$work/b$n.png" || fail "layer $n differs"
done
echo "PASS"
