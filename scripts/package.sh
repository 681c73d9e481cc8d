#!/usr/bin/env bash
# Builds glyphora_<version>_amd64.deb in the build folder (and prints its path),
# then checks it with lintian and its AppStream data with appstreamcli.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${GLYPHORA_BUILD_DIR:-$root/build}

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}
tools=(dpkg-dev file fakeroot lintian appstream gzip desktop-file-utils)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Models, fonts and the programs; then configure again so that the manual
# pages are made, with the fonts as links to Debian's.
GLYPHORA_BUILD_DIR=$build "$root/scripts/setup.sh"
cmake "$build" -DGLYPHORA_LINK_SYSTEM_FONTS=ON >/dev/null
quiet() {
  local out
  out=$("$@" 2>&1) || { printf '%s\n' "$out" >&2; return 1; }
}
quiet cmake --build "$build"

rm -f "$build"/glyphora_*.deb
(cd "$build" && quiet cpack -G DEB)
deb=$(ls "$build"/glyphora_*_amd64.deb)
echo "$deb"

appstreamcli validate --no-net "$build/packaging/app.glyphora.glyphora.metainfo.xml"
desktop-file-validate "$root/static/desktop/glyphora.desktop"
# Errors fail the build; warnings are printed.
lintian --fail-on error "$deb"
