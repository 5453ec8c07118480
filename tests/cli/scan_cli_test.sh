#!/usr/bin/env bash
# tessel-cli scanners and scan against SANE's test backend, held against
# scanimage through ImageMagick. Skips (status 77) without scanimage or convert.
. "$(cd "$(dirname "$0")" && pwd)/lib.sh" "$1"
if ! command -v scanimage >/dev/null || ! command -v compare >/dev/null; then
  echo "SKIP: scanimage or ImageMagick is not installed"; exit 77
fi
mkdir sane
echo test > sane/dll.conf
printf 'number_of_devices 2\ntest-picture "Color pattern"\ngeometry_max 30.0\nbr_x 30.0\nbr_y 30.0\nresolution_max 9600.0\n' > sane/test.conf
export SANE_CONFIG_DIR="$work/sane"

check "scanners" "test:0	Noname	frontend-tester	virtual device" "$("$cli" scanners | head -1)"
check "two devices" 2 "$("$cli" scanners | wc -l | tr -d ' ')"
# The whole 30 mm bed at 50 dpi: 59 pixels a side, equal to scanimage's picture.
"$cli" scan grey.png --device test:1 --resolution 50 --mode grey;   check "scan grey" 0 $?
check "grey size" "59 59" "$(identify -format '%w %h' grey.png)"
timeout 10 scanimage -d test:1 --mode Gray --depth 8 --resolution 50 -l 0 -t 0 -x 30 -y 30 > grey.pnm 2>/dev/null
check "grey pixels" 0 "$(compare -metric AE grey.png grey.pnm null: 2>&1)"
"$cli" scan colour.tsd --resolution 25;                             check "scan default device" 0 $?
check "colour document" '"width":29,"height":29' "$("$cli" info colour.tsd | grep -o '"width":[0-9]*,"height":[0-9]*')"
"$cli" scan x.png --mode sepia >/dev/null 2>&1;                     check "bad mode" 2 $?
"$cli" scan x.png --device nonesuch:0 2>err.txt;                    check "no such device" 1 $?
check "message" "未找到扫描仪" "$(cat err.txt)"
"$cli" scan big.png --device test:0 --resolution 4000 2>err.txt;    check "too large" 1 $?
check "size message" "无法处理宽度或高度在4500px以上的图像" "$(tail -1 err.txt)"
TESSEL_SANE_LIBRARY=libsane-absent.so.1 "$cli" scanners 2>/dev/null; check "no library" 1 $?
[ -e big.png ] || [ -e x.png ]; check "nothing written on failure" 1 $?
exit $((failures > 0))
