#!/bin/bash
# A batch split into 4 shards by GNU parallel and merged equals one whole run,
# file for file and byte for byte, apart from the start stamp.
set -eu
batch=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

# Rows that fail (empty content) and names that repeat within and across shards.
{
  echo "name,content"
  for i in $(seq 1 1000); do
    if (( i % 50 == 0 )); then echo "empty$i,"
    elif (( i % 97 == 0 )); then echo "dup,row $i"
    elif (( i % 101 == 0 )); then echo "Dup$((i % 3)),row $i"
    else echo "r$i,$i"; fi
  done
} > rows.csv
echo '{"imageSize": 120}' > small.json

"$batch" generate rows.csv whole --style small.json --jobs 2 >/dev/null || [ $? -eq 3 ]
parallel -j 4 "'$batch' generate rows.csv part{} --style small.json --jobs 1 --shard {}/4 >/dev/null || [ \$? -eq 3 ]" ::: 0 1 2 3
"$batch" merge merged part0 part1 part2 part3 >/dev/null || [ $? -eq 3 ]
diff -r whole merged
[ "$(ls whole | wc -l)" -gt 900 ]
grep -q '^dup,' merged/error_log.txt

# 300 pictures in the folder and a sub-folder, and a few that hold no code.
mkdir -p pics/sub
ls whole | grep '\.png$' | head -200 | while read -r f; do cp "whole/$f" pics/; done
ls whole | grep '\.png$' | sed -n 201,300p | while read -r f; do cp "whole/$f" pics/sub/; done
for i in 1 2 3; do cp small.json "pics/noise$i.png"; done
"$batch" decode pics dwhole --jobs 2 >/dev/null || [ $? -eq 3 ]
parallel -j 4 "'$batch' decode pics dpart{} --jobs 1 --shard {}/4 >/dev/null || [ \$? -eq 3 ]" ::: 0 1 2 3
"$batch" merge dmerged dpart0 dpart1 dpart2 dpart3 >/dev/null || [ $? -eq 3 ]
# The stamp names the CSV files and starts every log line.
unstamp() {
  for f in "$1"/*.csv; do mv "$f" "$1/$(basename "$f" | sed -E 's/^[0-9_]{19}(_[0-9]+)?//')"; done
  sed -i -E 's/^[0-9_]{19}(_[0-9]+)? : / : /' "$1/error_log.txt"
}
unstamp dwhole
unstamp dmerged
diff -r dwhole dmerged
[ "$(cat dmerged/.csv dmerged/_sub.csv | wc -l)" -eq 301 ]
grep -q "noise1.png" dmerged/error_log.txt

# Pictures are linked, not copied, on one file system.
[ "$(stat -c %h merged/r1.png)" -eq 2 ]
# A merge never writes over files already there, nor joins an incomplete set.
if "$batch" merge merged part0 part1 part2 part3 2>/dev/null; then exit 1; fi
if "$batch" merge fresh part0 part1 part2 2>/dev/null; then exit 1; fi
[ ! -e fresh ]
echo ok
