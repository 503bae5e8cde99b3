#!/usr/bin/env bash
# Retakes docs/site.png, the README's picture of the demo epoch published as a web site, in
# headless Chromium: the last year, the strongest player highlighted, the map zoomed in and the
# mouse resting on one of that player's units. Needs a built tree and the browser tests' driver
# (make test installs both).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
world=$build/demo/world
site=$build/demo-site
"$build/src/tool/tirmagor-tool" publish --dir "$world" --palette "$world/palitr.pal" --title "Демо-эпоха" \
  -o "$site" "$world"/Год*.tvk
node "$root/docs/site-screenshot.mjs" "$site" "$root/docs/site.png"
