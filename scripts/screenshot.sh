#!/usr/bin/env bash
# Builds, then photographs the window on a virtual X display with a window
# manager, as a user sees it: both pages idle, mid-run (progress with rate and
# time left) and finished (results buttons, failure table), at 100 % and at 150 %
# scaling; the question before replacing pictures, the style dialog reopened on a
# custom style, a workbook with its sheet list, and the first start on a 1280x720 screen.
# The pictures go to docs/screenshots/<page>-<state>-<scale>.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
build=${GLYPHORA_BUILD_DIR:-$root/build}

# What taking the pictures needs: display, window manager, input and capture.
missing=()
for p in xvfb openbox xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

work=$(mktemp -d --tmpdir 工作资料.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
shots=$root/docs/screenshots
mkdir -p "$shots"

# Inputs: a product list of 2000 rows, every 40th without content so that the run
# has failures; and 240 codes in the sub-folders of a deep folder, with one picture
# that holds none, to be decoded.
csv=$work/产品目录.csv
{
  echo '名称,内容'
  for i in $(seq -w 1 2000); do
    if [ $((10#$i % 40)) = 0 ]; then echo "产品$i,"; else echo "产品$i,https://glyphora.app/p/$i"; fi
  done
} > "$csv"
pictures=$work/门店巡检照片/2024年第三季度/华东区/上海市浦东新区张江高科技园区/第一批次门店（含新开业门店）
head -241 "$csv" > "$work/codes.csv"
"$build/bin/glyphora-batch" generate "$work/codes.csv" "$pictures" >/dev/null || true
mapfile -t codes < <(find "$pictures" -maxdepth 1 -name '*.png' | sort)
for n in 1 2 3 4 5 6; do
  mkdir -p "$pictures/门店0$n"
  mv "${codes[@]:$((n * 33 - 33)):33}" "$pictures/门店0$n"
done
rm -f "$pictures/error_log.txt"
convert -size 400x300 xc:white "$pictures/门店01/空白.png"

# A virtual display of the given size, with a window manager, made the current one.
start_display() {
  exec 3>"$work/display-$1"
  Xvfb -displayfd 3 -screen 0 "$1x24" -dpi 96 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/display-$1" ] && break; sleep 0.1; done
  exec 3>&-
  export DISPLAY=:$(cat "$work/display-$1")
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
}
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
start_display 2400x1600

# The settings file as Qt writes it: characters beyond ASCII as \x escapes, and a
# hex digit right after an escape escaped as well.
qt_ini() {
  python3 -c '
import sys
out, after = [], False
for c in sys.stdin.read():
    after = ord(c) >= 0x7f or (after and c in "0123456789abcdefABCDEF")
    out.append("\\x%x" % ord(c) if after else c)
sys.stdout.write("".join(out))'
}
# Returns once the program has used no processor time for 1.5 seconds: the run is over.
wait_idle() {
  local last=-1 still=0 now
  for _ in $(seq 600); do
    sleep 0.5
    now=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
    if [ "$now" = "$last" ]; then still=$((still + 1)); else still=0; fi
    [ $still -ge 3 ] && return 0
    last=$now
  done
  echo "The run did not end" >&2
  exit 1
}
# Returns once the command prints a count of at least $1.
wait_count() {
  local least=$1; shift
  for _ in $(seq 600); do
    [ "$("$@")" -ge "$least" ] && return 0
    sleep 0.2
  done
  echo "The run wrote nothing: $*" >&2
  exit 1
}

# Clicks at a point of the window given in unscaled pixels.
click() { xdotool mousemove --window "$window" $(($1 * scale / 100)) $(($2 * scale / 100)) click 1; }
# Takes the picture with the pointer off the window; 256 colours keep the text crisp
# at a third of the size.
shoot() {
  xdotool mousemove 0 0
  sleep 0.5
  import -window "$window" -strip -dither None -colors 256 "PNG8:$shots/$1-$scale.png"
}
# Starts the page's run as a user may: Enter in the save folder field, at the given height
# (the generation page has a hint under its CSV field).
start() { click 600 "$1"; xdotool key Return; }

for scale in 100 150; do
  out=$work/out-$scale
  config=$work/config-$scale
  mkdir -p "$config/Tavrion"
  # The paths the window remembers from an earlier run.
  qt_ini > "$config/Tavrion/Tavrion.conf" <<CONF
[paths]
csvFile=$csv
codesFolder=$out/二维码
pictureFolder=$pictures
decodedFolder=$out/解码结果
[style]
settings="@ByteArray({\\"moduleShape\\":1,\\"eyeShape\\":2,\\"darkModuleColor\\":\\"#1d4e89\\",\\"eyeOuterColor\\":\\"#c0392b\\",\\"eyeInnerColor\\":\\"#1d4e89\\",\\"margin\\":30,\\"canvasAlpha\\":1,\\"errorCorrectionLevel\\":2})"
name=自定义
CONF
  dpi=; [ $scale = 150 ] && dpi=144
  XDG_CONFIG_HOME=$config QT_FONT_DPI=$dpi "$build/bin/glyphora" >/dev/null 2>&1 &
  app=$!
  pids+=($app)
  window=$(xdotool search --sync --onlyvisible --classname glyphora | head -1)
  sleep 1
  shoot generate-idle
  click 100 125
  shoot decode-idle
  click 100 95
  start 217
  wait_count 100 bash -c "ls '$out/二维码' 2>/dev/null | grep -c png || true"
  sleep 1
  shoot generate-running
  wait_idle $app
  shoot generate-finished
  if [ $scale = 100 ]; then
    # A second start into the same folder asks about the pictures already there.
    start 217
    sleep 2
    # The question is a window of its own: the screen is cut to the main window around it.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage -strip -dither None -colors 256 \
      "PNG8:$shots/generate-replace-question-$scale.png"
    xdotool key Escape
    # The page remembers a custom style: the dialog, cancelled once and reopened, still
    # shows its values, with no shipped style selected.
    for open in 1 2; do
      click 930 160
      dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '二维码样式' | head -1)
      sleep 2
      [ $open = 2 ] || { xdotool key Escape; sleep 1; }
    done
    xdotool mousemove 0 0
    sleep 0.5
    import -window "$dialog" -strip -dither None -colors 256 "PNG8:$shots/style-dialog-custom-$scale.png"
    xdotool key Escape
  fi
  click 100 125
  start 203
  wait_count 20 bash -c "cat '$out/解码结果'/*.csv 2>/dev/null | wc -l"
  sleep 1
  shoot decode-running
  wait_idle $app
  shoot decode-finished
  kill $app
done

# A workbook chosen on the generation page: its sheets listed, the first visible one shown.
/usr/bin/python3 - "$work/产品目录.xlsx" <<'PY'
import sys
import openpyxl
book = openpyxl.Workbook()
notes = book.active
notes.title = "填写说明"
notes.append(["A列为名称，B列为二维码内容"])
notes.sheet_state = "hidden"
for title, first in (("在售产品", 1), ("已下架", 501)):
    sheet = book.create_sheet(title)
    sheet.append(["名称", "内容"])
    for i in range(first, first + 300):
        sheet.append([f"产品{i:04}", f"https://glyphora.app/p/{i:04}"])
book.save(sys.argv[1])
PY
scale=100
mkdir -p "$work/config-workbook/Tavrion"
qt_ini > "$work/config-workbook/Tavrion/Tavrion.conf" <<CONF
[paths]
csvFile=$work/产品目录.xlsx
codesFolder=$work/out-workbook/二维码
CONF
XDG_CONFIG_HOME=$work/config-workbook "$build/bin/glyphora" >/dev/null 2>&1 &
app=$!
pids+=($app)
window=$(xdotool search --sync --onlyvisible --classname glyphora | head -1)
sleep 2
shoot generate-workbook
kill $app

# The first start on a small screen: the window fits inside it, title bar and grip shown.
kill "${pids[@]}" 2>/dev/null || true
start_display 1280x720
mkdir -p "$work/config-small"
XDG_CONFIG_HOME=$work/config-small "$build/bin/glyphora" >/dev/null 2>&1 &
app=$!
pids+=($app)
xdotool search --sync --onlyvisible --classname glyphora >/dev/null
sleep 1
import -window root -strip -dither None -colors 256 "PNG8:$shots/window-1280x720.png"
kill $app
ls "$shots"
