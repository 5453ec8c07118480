#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a Linux desktop reads
# from it: the desktop entry, the file types, the manual pages, the thumbnailer
# and the settings folder of an installed program.
set -u
build="$1" source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
P="$work/prefix"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected '$2', got '$3'"; fi; }

cmake --install "$build" --prefix "$P" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
for f in bin/tessel bin/tessel-cli share/tessel/help.html share/tessel/help.en.html share/tessel/manual/tool-4.png share/applications/tessel.desktop \
         share/mime/packages/tessel.xml share/thumbnailers/tessel.thumbnailer \
         share/man/man1/tessel.1 share/man/man1/tessel-cli.1 \
         share/icons/hicolor/{48x48,128x128,256x256}/apps/tessel.png; do
  [ -s "$P/$f" ] || fail "$f not installed"
done
[ -e "$P/bin/tessel-build-folder" ] && fail "the build-folder marker was installed"
for s in 48 128 256; do
  check "icon $s" "${s}x${s}" "$(identify -format %wx%h "$P/share/icons/hicolor/${s}x${s}/apps/tessel.png")"
done

entry="$P/share/applications/tessel.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx 'Exec=tessel %f' "$entry" || fail "desktop entry Exec"
xmllint --noout "$P/share/mime/packages/tessel.xml" || fail "xmllint"
update-mime-database "$P/share/mime" 2>/dev/null || fail "update-mime-database"
grep -q '^50:application/x-tessel-document:\*\.tsd$' "$P/share/mime/globs2" || fail "tsd glob"
grep -q '^50:application/x-vornel-document:\*\.vrw$' "$P/share/mime/globs2" || fail "vrw glob"
grep -q '^50:image/openraster:\*\.ora$' "$P/share/mime/globs2" || fail "ora glob"
for t in application/x-tessel-document application/x-vornel-document image/openraster; do
  grep -q "MimeType=.*$t;" "$entry" || fail "desktop entry lacks $t"
  grep -q "MimeType=.*$t;" "$P/share/thumbnailers/tessel.thumbnailer" || fail "thumbnailer lacks $t"
done

# Both manual pages render; the hand-written one names every environment
# variable and settings file the program reads.
for page in tessel tessel-cli; do
  LANG=C.UTF-8 MANWIDTH=80 man -l "$P/share/man/man1/$page.1" >"$work/$page.txt" 2>"$work/$page.err" || fail "man -l $page"
  [ -s "$work/$page.err" ] && fail "man -l $page warns: $(head -n 3 "$work/$page.err")"
done
grep -q 'thumbnail IN OUT.png SIZE' "$work/tessel-cli.txt" || fail "tessel-cli(1) lacks thumbnail"
grep -q '文件格式错误' "$work/tessel-cli.txt" || fail "tessel-cli(1) lost its Chinese messages"
for v in $(grep -rhoE 'getenv\("[A-Z_]+"\)' "$source/src" | sed -E 's/.*"(.*)".*/\1/' | sort -u); do
  grep -q "^\.B $v\$" "$P/share/man/man1/tessel.1" || fail "tessel(1) does not describe $v"
done
for f in config.ini key.dat palette.dat texture.tst help.html; do
  grep -q "$f" "$work/tessel.txt" || fail "tessel(1) does not name $f"
done

# The thumbnailer runs an installed program; its thumbnail of a saved document
# is the document's stored preview, pixel for pixel.
cli="$P/bin/tessel-cli"
exec_line="$(sed -n 's/^Exec=//p' "$P/share/thumbnailers/tessel.thumbnailer")"
check "thumbnailer program" "$cli" "${exec_line%% *}"
check "thumbnailer TryExec" "$cli" "$(sed -n 's/^TryExec=//p' "$P/share/thumbnailers/tessel.thumbnailer")"
cd "$work"
"$cli" new 300 200 doc.tsd && "$cli" stroke doc.tsd doc.tsd --tool 4 --size 30 --colour 3080F0 \
  --samples "20,30;150,170;290,20" >/dev/null || fail "making the document"
thumbnail() { local c="$exec_line"; c="${c//%i/$1}"; c="${c//%o/$2}"; c="${c//%s/$3}"; $c; }
thumbnail doc.tsd thumb.png 256; check "thumbnail status" 0 $?
read -r pw ph < <(od -An -tu2 -j22 -N4 doc.tsd)
check "preview size" 90x60 "${pw}x${ph}"
tail -c +31 doc.tsd | head -c $((pw * ph * 4)) >preview.bgra
convert -size "${pw}x${ph}" -depth 8 bgra:preview.bgra -flip -alpha off rgb:expected.rgb
convert thumb.png -alpha off -depth 8 rgb:actual.rgb
check "thumbnail size" 90x60 "$(identify -format %wx%h thumb.png)"
cmp -s expected.rgb actual.rgb || fail "thumbnail pixels differ from the stored preview"
grep -q . <(tr -d '\377' <expected.rgb) || fail "the preview is all white: nothing was compared"
thumbnail doc.tsd small.png 45;  check "smaller box" 45x30 "$(identify -format %wx%h small.png)"
"$cli" convert doc.tsd flat.png && thumbnail flat.png flat-thumb.png 64
check "flattened image fitted" 64x42 "$(identify -format %wx%h flat-thumb.png)"
echo "not an image" >junk.tsd
thumbnail junk.tsd junk.png 128 2>/dev/null; check "junk status" 1 $?
[ -e junk.png ] && fail "a failed thumbnail left a file"
"$cli" thumbnail doc.tsd x.png 0 2>/dev/null; check "size 0" 2 $?

# An installed program keeps its settings in the user's configuration folder.
run_once() {
  env "$@" QT_QPA_PLATFORM=offscreen TESSEL_STARTUP_TIMING=1 "$P/bin/tessel" >/dev/null 2>&1
}
run_once -u TESSEL_HOME XDG_CONFIG_HOME="$work/xdg" HOME="$work/home"
[ -s "$work/xdg/tessel/config.ini" ] || fail "no config.ini in \$XDG_CONFIG_HOME/tessel"
run_once -u TESSEL_HOME -u XDG_CONFIG_HOME HOME="$work/home"
[ -s "$work/home/.config/tessel/config.ini" ] || fail "no config.ini in ~/.config/tessel"
[ -e "$P/bin/config.ini" ] && fail "the installed program wrote into its own folder"

[ "$failures" -eq 0 ] && echo "install tree: all checks passed"
exit "$failures"
