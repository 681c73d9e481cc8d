#!/usr/bin/env bash
# Milliseconds per code and peak memory of the styled renderer, beside the
# qrencode command-line tool writing the same content as PNG.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${GLYPHORA_BUILD_DIR:-$root/build}
count=${COUNT:-50}
count40=${COUNT40:-10}

missing=()
command -v qrencode >/dev/null || missing+=(qrencode)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target render_bench >/dev/null
bench=$build/bin/render_bench
export QT_QPA_PLATFORM=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$out}

url='https://example.com/orders/2024?id=12345'

# Milliseconds per qrencode run, process start included (it has no batch mode).
qrencode_ms() {
  local runs=$1; shift
  local start end
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do qrencode "$@" -o "$out/q$i.png" "$url"; done
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v n="$runs" 'BEGIN { printf "%.2f", ns / 1e6 / n }'
}

# Peak resident memory in MB of one command.
peak_mb() {
  /usr/bin/time -f '%M' -o "$out/rss" "$@" >/dev/null
  awk '{ printf "%.1f", $1 / 1024 }' "$out/rss"
}

ours_url=$("$bench" url "$count" "$out")
ours_40=$("$bench" v40 "$count40" "$out")
ours_mem=$(peak_mb "$bench" once-v40 "$out/once.png")
# About 500 pixels wide, like the styled codes: 31 modules at 16 px, 179 at 3 px.
peer_url=$(qrencode_ms "$count" -l M -s 16 -m 1)
peer_40=$(qrencode_ms "$count40" -l M -v 40 -s 3 -m 1)
peer_mem=$(peak_mb qrencode -l M -v 40 -s 3 -m 1 -o "$out/q.png" "$url")

printf '%-34s %12s %12s\n' '' 'glyphora' 'qrencode'
printf '%-34s %9s ms %9s ms\n' "40-character URL, per code" "$ours_url" "$peer_url"
printf '%-34s %9s ms %9s ms\n' "version 40, per code" "$ours_40" "$peer_40"
printf '%-34s %9s MB %9s MB\n' "version 40, peak memory" "$ours_mem" "$peer_mem"
echo "glyphora: batch style (500 px, caption), in one process after a warm-up render;"
echo "qrencode: one process per code, plain PNG of about 500 px."
