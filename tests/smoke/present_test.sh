#!/usr/bin/env bash
# The count presented on screens of 1280x720, 1920x1080 and 3840x2160 at scale 1 and 2,
# counting, held and after liftoff: a screenshot of each in OUTPUT_FOLDER/present, each
# measured against the size the digits must have.
#   present_test.sh ORVANE_PRESENT_SHOTS OUTPUT_FOLDER
set -euo pipefail

shots=$1
out=$2/present
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"
for screen in 1280x720 1920x1080 3840x2160; do
    for scale in 1 2; do
        name=$screen-scale-$scale
        ORVANE_XVFB_SCREEN=${screen}x24 "$here/scripts/xvfb-run-test" timeout 50 \
            env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$shots" "$out" "$name" \
            >"$out/$name.log" 2>&1 || {
            cat "$out/$name.log" >&2
            echo "present: FAILED on $screen at scale $scale" >&2
            exit 1
        }
        cat "$out/$name.log"
    done
done
echo "present: passed; screenshots in $out"
