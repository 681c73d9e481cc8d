#!/usr/bin/env bash
# Builds, draws one code of each shipped style into docs/styles/<name>.png with
# glyphora-batch, and saves the style dialog, opened from the generation page of
# the program on a virtual X display with empty settings, as docs/style_dialog.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

missing=()
for tool in xvfb-run:xvfb xauth:xauth import:imagemagick xdotool:xdotool; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

bin=${GLYPHORA_BUILD_DIR:-$root/build}/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'name,content\n样式示例,https://glyphora.app/\n' >"$work/codes.csv"
mkdir -p "$root/docs/styles"
for style in $("$bin/glyphora-batch" styles | awk '/^  [a-z]/ {print $1}'); do
  # The brand style frames a logo; the program's own stands in for the user's.
  logo=()
  [ "$style" = brand ] && logo=(--logo "$root/static/images/logo.png")
  "$bin/glyphora-batch" generate "$work/codes.csv" "$work/$style" --style "$style" "${logo[@]}" >/dev/null
  cp "$work/$style/样式示例.png" "$root/docs/styles/$style.png"
done

# With no stored state the window opens at (200, 200), 1000 x 680: the CSV field
# and the style button lie at these places. The preset list has the dialog's
# focus; two steps down is the rounded style.
mkdir -p "$work/config"
XDG_CONFIG_HOME=$work/config xvfb-run -a -s "-screen 0 1400x1000x24" bash -c '
  "$1" & pid=$!
  sleep 3
  xdotool mousemove 760 362 click 1 type "$2"
  xdotool mousemove 1131 365 click 1
  sleep 2
  window=$(xdotool search --name "二维码样式" | head -1)
  xdotool mousemove 700 500 key Down Down
  sleep 2
  import -window "$window" "$3"
  kill "$pid"
' capture "$bin/glyphora" "$work/codes.csv" "$root/docs/style_dialog.png"
echo "Saved docs/styles/*.png and docs/style_dialog.png"
