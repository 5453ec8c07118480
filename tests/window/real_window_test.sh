#!/usr/bin/env bash
# The real program in a real X server with a window manager, driven only by
# keys: shortcuts must work at once, with and without a file to open, and
# under XWayland the X11 platform is chosen.
# usage: real_window_test.sh TESSEL TESSEL_CLI
set -u
tessel="$1" cli="$2"
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do stop "$pid"; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
stop() {
  kill "$1" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
}

Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# Opens a window: waits until one whose title holds $1 shows.
await() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "no window \"$1\""
}
run() {
  mkdir -p "$work/home$1" "$work/tmp$1"
  TESSEL_HOME="$work/home$1" TMPDIR="$work/tmp$1" "$tessel" "${@:2}" >/dev/null 2>&1 &
  pids+=($!)
}

# 1. With a file on the command line: a new layer and Save, no click.
"$cli" new 64 48 "$work/pic.tsd" >/dev/null || fail "tessel-cli new"
run 1 "$work/pic.tsd"
await "pic.tsd"
sleep 1
xdotool key alt+shift+n
sleep 0.5
xdotool key ctrl+s
layers() { "$cli" info "$work/pic.tsd" 2>/dev/null | grep -o '"name":' | wc -l; }
for _ in $(seq 50); do [ "$(layers)" = 2 ] && break; sleep 0.2; done
[ "$(layers)" = 2 ] || fail "Alt+Shift+N and Ctrl+S did not reach the window ($(layers) layers saved)"
stop "${pids[-1]}"   # its windows gone before the next search

# 2. Without a file: Ctrl+N shows the New dialog.
run 2
await "新建文件"
sleep 1
xdotool key ctrl+n
await "^新建$"
stop "${pids[-1]}"

# 3. A Wayland session with XWayland runs on X11 unless the user chose.
platform() {
  timeout 15 env TESSEL_HOME="$work/home3" TMPDIR="$work/tmp3" TESSEL_STARTUP_TIMING=1 "$@" "$tessel" 2>&1 |
    grep -o 'platform [a-z]*'
}
mkdir -p "$work/home3" "$work/tmp3"
[ "$(platform WAYLAND_DISPLAY=wayland-tessel-test)" = "platform xcb" ] || fail "XWayland not preferred"
[ "$(platform WAYLAND_DISPLAY=wayland-tessel-test QT_QPA_PLATFORM=offscreen)" = "platform offscreen" ] ||
  fail "the user's QT_QPA_PLATFORM was not kept"
echo "PASS"
