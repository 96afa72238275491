#!/usr/bin/env bash
# High DPI: every window drawn at QT_SCALE_FACTOR=2 on a screen twice as large is exactly
# twice the size it is at 1, and (as orvane_screens checks at both scales) nothing in it is
# cut off. At 2 on a 1920 x 1080 screen every window still lies wholly on the screen, those
# too tall for it drawn smaller. The screenshots at 2 stay in OUTPUT_FOLDER/scale-2.
#   scale_test.sh ORVANE_SCREENS OUTPUT_FOLDER
set -euo pipefail

screens=$1
out=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out/scale-1" "$out/scale-2" "$out/scale-2-1080"
mkdir -p "$out/scale-1" "$out/scale-2" "$out/scale-2-1080"

run() {
    local scale=$1 screen=$2 folder=$3
    ORVANE_XVFB_SCREEN=$screen "$here/scripts/xvfb-run-test" timeout 50 \
        env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" "$screens" "$out/$folder" \
        >"$out/$folder/screens.log" 2>&1 || {
        cat "$out/$folder/screens.log" >&2
        echo "scale: FAILED: the windows at scale $scale on $screen" >&2
        exit 1
    }
}
run 1 1280x800x24 scale-1
run 2 2560x1600x24 scale-2
run 2 1920x1080x24 scale-2-1080

failed=0
count=0
for one in "$out"/scale-1/screen-*.png; do
    name=$(basename "$one")
    two=$out/scale-2/$name
    read -r w1 h1 < <(identify -format '%w %h\n' "$one")
    if [ ! -f "$two" ]; then
        echo "scale: FAILED: no $name at scale 2" >&2
        failed=1
        continue
    fi
    read -r w2 h2 < <(identify -format '%w %h\n' "$two")
    if [ "$w2" -ne $((w1 * 2)) ] || [ "$h2" -ne $((h1 * 2)) ]; then
        echo "scale: FAILED: $name is ${w1}x$h1 at scale 1 but ${w2}x$h2 at scale 2" >&2
        failed=1
    fi
    count=$((count + 1))
done
[ "$count" -ge 10 ] || {
    echo "scale: FAILED: only $count screenshots to compare" >&2
    exit 1
}
[ $failed = 0 ] && echo "scale: passed; $count windows twice the size in $out/scale-2"
exit $failed
