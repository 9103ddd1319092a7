#!/usr/bin/env bash
# Starts Tessaly on the bundled demo configuration with a settings file of its own, so the
# user's saved choices are never touched. Without a display it renders the main window to a PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

database=demo/tessaly_demo.sqlite
# The demo's records end today: make the database anew when it is missing or from another day.
if [ ! -f "$database" ] || [ "$(date -r "$database" +%F)" != "$(date +%F)" ]; then
  python3 scripts/make_demo_db.py "$database"
fi

mkdir -p "$build/demo"
settings="$build/demo/settings.ini"
if [ ! -f "$settings" ]; then
  printf '[SaveConfig]\nRange=Last 30 Days\n' > "$settings"
fi
export TESSALY_SETTINGS="$PWD/$settings"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: rendering the main window offscreen instead."
  QT_QPA_PLATFORM=offscreen TESSALY_SNAPSHOT="$PWD/$build/demo/tessaly-demo.png" "$build/tessaly" --config demo
else
  exec "$build/tessaly" --config demo
fi
