#!/usr/bin/env bash
# Installs what is missing (Debian packages, detector models, caption fonts) and
# builds. Safe to run again: it only does what is not done yet.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${GLYPHORA_BUILD_DIR:-$root/build}
sanitize=${GLYPHORA_SANITIZE:-OFF}

packages=(cmake ninja-build g++ pkg-config
          qtbase5-dev qt5-image-formats-plugins libqt5svg5 libqt5svg5-dev qttranslations5-l10n
          libqrencode-dev libgif-dev zlib1g-dev libimagequant-dev libopencv-dev libopencv-contrib-dev libzxing-dev
          libxlsxwriter-dev
          fonts-noto-cjk
          libzip-dev libfreexl-dev libgsf-1-dev
          gifsicle python3 python3-openpyxl libzbar-dev librsvg2-bin poppler-utils parallel)  # the tests check written files with them

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_packages "${packages[@]}"

# Detector models: beside the executables, from the shared copy or the published files.
models=$build/bin/opencv_3rdparty
shared_models=$root/../shared/opencv_3rdparty
model_url=https://raw.githubusercontent.com/WeChatCV/opencv_3rdparty/wechat_qrcode
declare -A model_md5=(
  [detect.prototxt]=6fb4976b32695f9f5c6305c19f12537d
  [detect.caffemodel]=238e2b2d6f3c18d6c3a30de0c31e23cf
  [sr.prototxt]=69db99927a70df953b471daaba03fbef
  [sr.caffemodel]=cbfcd60361a73beb8c583eea7e8e6664
)
model_ok() { [ -f "$models/$1" ] && [ "$(md5sum < "$models/$1" | cut -d' ' -f1)" = "${model_md5[$1]}" ]; }
mkdir -p "$models"
for f in "${!model_md5[@]}"; do
  model_ok "$f" && continue
  if [ -f "$shared_models/$f" ]; then
    cp "$shared_models/$f" "$models/$f"
  else
    install_packages curl ca-certificates
    echo "Downloading $f"
    curl -fsSL --retry 3 -o "$models/$f" "$model_url/$f"
  fi
  model_ok "$f" || { echo "Model file $f does not match its md5 sum" >&2; rm -f "$models/$f"; exit 1; }
done

# Caption fonts: the Source Han Serif design ships in Debian as Noto Serif CJK.
assets=$build/bin/assets
mkdir -p "$assets"
noto=/usr/share/fonts/opentype/noto
for weight in Regular Bold; do
  [ -f "$assets/SourceHanSerifCN-$weight.otf" ] || cp "$noto/NotoSerifCJK-$weight.ttc" "$assets/SourceHanSerifCN-$weight.otf"
done

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DGLYPHORA_SANITIZE="$sanitize" >/dev/null
fi
if ! out=$(cmake --build "$build" 2>&1); then
  printf '%s\n' "$out" >&2
  exit 1
fi
printf '%s\n' "$out" | grep -v -x 'ninja: no work to do.' || true
