#!/usr/bin/env bash
# Retakes docs/screenshot-large.png: the editor on the demo world under Xvfb on a 2560 x 1440
# screen, its window grown to 2070 x 1440 so that the view shows the whole map's width, and the
# overview (Ctrl+M) beside it. Needs what docs/screenshot.sh needs.
set -euo pipefail
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
cd "$build/demo/world"
xvfb-run -a -s "-screen 0 2560x1440x24" bash -c "
  set -e
  '$build/src/app/tirmagor-editor' & editor=\$!
  sleep 2
  xdotool mousemove 110 25 click 1; sleep 0.3
  xdotool key ctrl+a; xdotool type 12; sleep 0.5
  xdotool search --name 'Tirmagor - редактор' | head -1 | xargs -I{} xdotool windowsize {} 2070 1440; sleep 1
  xdotool key ctrl+m; sleep 1
  xdotool mousemove 1300 700; sleep 0.5
  import -window root /tmp/tirmagor-large.png
  kill \$editor"
convert /tmp/tirmagor-large.png -resize 50% "$root/docs/screenshot-large.png"
rm -f /tmp/tirmagor-large.png
echo "wrote docs/screenshot-large.png"
