#!/usr/bin/env bash
# Retakes docs/screenshot.png: the editor on the demo world under Xvfb, year 7 typed into the
# year field and the mouse resting on a cell with two units, whose tooltip names them. Needs xvfb, xdotool and imagemagick (apt-get install
# xvfb xauth xdotool imagemagick) and a built tree (make test or make run).
set -euo pipefail
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
cd "$build/demo/world"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
  set -e
  '$build/src/app/tirmagor-editor' & editor=\$!
  sleep 2
  xdotool mousemove 110 25 click 1; sleep 0.3
  xdotool key ctrl+a; xdotool type 7; sleep 1
  xdotool mousemove 751 456; sleep 2.5
  import -window root -crop 1146x840+0+0 +repage '$root/docs/screenshot.png'
  kill \$editor"
echo "wrote docs/screenshot.png"
