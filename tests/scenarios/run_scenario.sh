#!/bin/sh
# Runs one story: orvane-script RUNNER must run STORY to the end, and what it prints must be
# exactly the story's "#>" lines, so an unexpected message box or a missing end-program
# fails the story as surely as a failed expect. The program's folder is a fresh one, which
# is also the working folder (so a relative file name in a script lands there); the lines
# show it as <program-dir>.
set -u
runner=$1
story=$2
work=$(mktemp -d)
actual=$(mktemp)
expected=$(mktemp)
trap 'rm -rf "$work" "$actual" "$expected"' EXIT
(cd "$work" && "$runner" --program-dir "$work" "$story") >"$actual.raw" || {
    cat "$actual.raw"
    rm -f "$actual.raw"
    exit 1
}
sed "s|$work|<program-dir>|g" "$actual.raw" >"$actual"
rm -f "$actual.raw"
sed -n 's/^[[:space:]]*#> \{0,1\}//p' "$story" >"$expected"
if ! cmp -s "$expected" "$actual"; then
    echo "$story: the printed lines differ from its #> lines (- expected, + printed):" >&2
    diff -u "$expected" "$actual" | tail -n +3 >&2
    exit 1
fi
