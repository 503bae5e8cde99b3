#!/usr/bin/env bash
# Retakes the README's screenshots of the editor on the demo world under Xvfb, with year 7 (12)
# typed into the year field:
#   docs/screenshot.sh         docs/screenshot.png: the window at its own size, the mouse resting
#                              on a cell with two units, whose tooltip names them
#   docs/screenshot.sh large   docs/screenshot-large.png: a 2560 x 1440 screen, the window grown
#                              to show the map's whole width and the overview (Ctrl+M) beside it
# Needs xvfb, xdotool and imagemagick (apt-get install xvfb xauth xdotool imagemagick) and a
# built tree (make test or make run).
set -euo pipefail
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
cd "$build/demo/world"
if [ "${1:-}" = large ]; then
  screen=2560x1440 year=12 out=screenshot-large.png
  show="xdotool search --name 'Tirmagor - редактор' | head -1 | xargs -I{} xdotool windowsize {} 2070 1440; sleep 1
        xdotool key ctrl+m; sleep 1; xdotool mousemove 1300 700; sleep 0.5
        import -window root /tmp/tirmagor-shot.png
        convert /tmp/tirmagor-shot.png -resize 50% '$root/docs/$out'"
else
  screen=1280x1024 year=7 out=screenshot.png
  show="xdotool mousemove 751 456; sleep 2.5
        import -window root -crop 1146x840+0+0 +repage '$root/docs/$out'"
fi
xvfb-run -a -s "-screen 0 ${screen}x24" bash -c "
  set -e
  '$build/src/desktop/tirmagor-editor' & editor=\$!
  sleep 2
  xdotool mousemove 110 25 click 1; sleep 0.3
  xdotool key ctrl+a; xdotool type $year; sleep 1
  $show
  kill \$editor"
rm -f /tmp/tirmagor-shot.png
echo "wrote docs/$out"
