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
sed -n 's/^[[:space:]]*#> \{0,1\}//p' "$story" >"$expected"
# A story that lists no journal lines does not check the journal: its lines are left out.
if grep -q '^journal ' "$expected"; then
    sed "s|$work|<program-dir>|g" "$actual.raw" >"$actual"
else
    sed -e "s|$work|<program-dir>|g" -e '/^journal /d' "$actual.raw" >"$actual"
fi
rm -f "$actual.raw"
if ! cmp -s "$expected" "$actual"; then
    echo "$story: the printed lines differ from its #> lines (- expected, + printed):" >&2
    diff -u "$expected" "$actual" | tail -n +3 >&2
    exit 1
fi
