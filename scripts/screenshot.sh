#!/usr/bin/env bash
# Builds, starts the program on a virtual X display with empty settings and saves
# its window as docs/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

missing=()
for tool in xvfb-run:xvfb xauth:xauth import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$root/docs"
# With no stored state the window opens at (200, 200), 1000 x 680.
XDG_CONFIG_HOME=$config xvfb-run -a -s "-screen 0 1400x1000x24" bash -c '
  "$1" & pid=$!
  sleep 3
  import -window root -crop 1000x680+200+200 +repage "$2"
  kill "$pid"
' capture "${GLYPHORA_BUILD_DIR:-$root/build}/bin/glyphora" "$root/docs/screenshot.png"
echo "Saved docs/screenshot.png"
