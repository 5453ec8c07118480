#!/usr/bin/env bash
# --help and --version of both programs print and exit; the help follows the
# interface language; a file named like an option is never opened.
here="$(cd "$(dirname "$0")" && pwd)"
gui="${2:+$(realpath "$2")}"
. "$here/lib.sh" "$(realpath "$1")"
export TESSEL_HOME="$work/home"
mkdir -p "$TESSEL_HOME"

check "cli --version" "tessel-cli 0.1" "$("$cli" --version)"
"$cli" --help | grep -q '^  --version$' || { echo "FAIL: cli --help lacks --version"; failures=$((failures + 1)); }
check "cli message in Chinese under C" "打开文件失败" \
  "$(env -u LANG -u LC_MESSAGES LC_ALL=C TESSEL_LANGUAGE= "$cli" layer from-file nothing.tsd out.tsd missing.png 2>&1 >/dev/null | head -n1 | cut -c1-18)"
check "cli message in English under en_US" "Could not open the file" \
  "$(env -u TESSEL_LANGUAGE LC_ALL=en_US.UTF-8 "$cli" layer from-file nothing.tsd out.tsd missing.png 2>&1 >/dev/null | head -n1)"
check "TESSEL_LANGUAGE=zh wins over the locale" "打开文件失败" \
  "$(LC_ALL=en_US.UTF-8 TESSEL_LANGUAGE=zh "$cli" layer from-file nothing.tsd out.tsd missing.png 2>&1 >/dev/null | head -n1 | cut -c1-18)"
check "cli filter list in English" "gaussian-blur  (Gaussian Blur)" \
  "$(TESSEL_LANGUAGE=en "$cli" filters | grep '^gaussian-blur ' | head -n1)"

if [ -n "$gui" ]; then
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY TESSEL_LANGUAGE=zh "$gui" --help)"; status=$?
  check "tessel --help status" 0 "$status"
  case "$out" in "用法: tessel [文件]"*) ;; *) echo "FAIL: Chinese usage: $out"; failures=$((failures + 1));; esac
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u TESSEL_LANGUAGE LC_ALL=en_US.UTF-8 "$gui" --help)"
  case "$out" in "Usage: tessel [FILE]"*) ;; *) echo "FAIL: English usage: $out"; failures=$((failures + 1));; esac
  check "tessel --version" "tessel 0.1" "$(env -u DISPLAY -u WAYLAND_DISPLAY "$gui" --version)"
  # No window system: had it tried to open "--help" as a file it would fail.
  [ ! -e "$work/--help" ] || { echo "FAIL: a file named --help appeared"; failures=$((failures + 1)); }
fi

[ "$failures" -eq 0 ] && echo "program options: all passed"
exit $((failures > 0))
