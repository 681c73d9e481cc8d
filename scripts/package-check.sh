#!/usr/bin/env bash
# Installs the package built by scripts/package.sh as a user would, uses the
# installed programs from a folder outside the source tree, then purges the
# package and checks that none of its files is left.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${GLYPHORA_BUILD_DIR:-$root/build}

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}
apt() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}
fail() { echo "package check: $*" >&2; exit 1; }

cd "$build"
debs=(glyphora_*_amd64.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one glyphora_*_amd64.deb in $build, run scripts/package.sh"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)

# An installed copy would hide files the package leaves behind.
if dpkg-query -W -f='${Status}' glyphora 2>/dev/null | grep -q installed; then
  apt purge -y -qq glyphora >/dev/null
fi

# What lay on the machine before, so that shared folders such as /usr/bin are
# not taken for leftovers.
before=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$work" "$before"' EXIT
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | while read -r path; do
  [ -e "$path" ] && echo "$path"
done > "$before" || true

apt update -qq
# bash-completion for the check of the installed completion.
apt install -y -qq --no-install-recommends "./$deb" bash-completion >/dev/null
echo "installed $deb"
installed=$(dpkg -L glyphora)

for font in /usr/share/glyphora/assets/SourceHanSerifCN-{Regular,Bold}.otf; do
  [ -f "$font" ] && [ -r "$font" ] || fail "caption font $font cannot be read"
done

cd "$work"
[ "$(command -v glyphora-batch)" = /usr/bin/glyphora-batch ] || fail "glyphora-batch is not /usr/bin/glyphora-batch"
[ "$(glyphora-batch --version)" = "glyphora-batch $version" ] || fail "glyphora-batch --version: $(glyphora-batch --version)"
[ "$(glyphora --version)" = "glyphora $version" ] || fail "glyphora --version: $(glyphora --version)"

printf '名称,内容\n甲一,https://glyphora.app/a\n乙二,第二行的内容\n丙三,0123456789\n' > codes.csv
glyphora-batch generate codes.csv codes/ > generate.txt 2>&1 || { cat generate.txt; fail "generation failed"; }
[ "$(ls codes | sort | tr '\n' ' ')" = "丙三.png 乙二.png 甲一.png " ] || fail "generated: $(ls codes)"

# The CNN engine alone: it reads nothing without the installed model files.
glyphora-batch decode codes/ decoded/ --engine cnn > decode.txt 2>&1 || { cat decode.txt; fail "decoding failed"; }
if grep -q '模型文件' decode.txt; then cat decode.txt; fail "the installed model files were not found"; fi
csv=(decoded/*.csv)
[ ${#csv[@]} = 1 ] || fail "decoding wrote ${#csv[@]} CSV files"
for text in https://glyphora.app/a 第二行的内容 0123456789; do
  grep -q "$text" "${csv[0]}" || { cat "${csv[0]}"; fail "decoded CSV lacks $text"; }
done
echo "generated and decoded 3 codes with the installed programs in $work"

# The installed completion, as bash would call it on Tab.
completions=$(bash -c '
  source /usr/share/bash-completion/bash_completion
  source /usr/share/bash-completion/completions/glyphora-batch
  complete_words() {
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=(); _glyphora_batch; echo "${COMPREPLY[*]}"
  }
  complete_words glyphora-batch de
  complete_words glyphora-batch generate codes.csv out --sty
  complete_words glyphora-batch generate codes.csv out --style ro
  complete_words glyphora-batch decode codes out --engine ""
')
[ "$completions" = $'decode\n--style\nrounded\ncnn zxing both' ] || fail "bash completion gave: $completions"
echo "bash completion: commands, options, styles and engines"

apt purge -y -qq glyphora >/dev/null
echo "purged"
dpkg-query -W glyphora >/dev/null 2>&1 && fail "glyphora is still known to dpkg"
left=()
while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  grep -qxF "$path" "$before" && continue
  left+=("$path")
done <<< "$installed"
[ ${#left[@]} = 0 ] || fail "left after purge: ${left[*]}"
echo "package check passed: $(wc -l <<< "$installed") paths installed, none left after purge"
