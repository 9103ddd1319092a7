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

# The second configuration, demo/line-logs, reads the daily CSV logs of one product; they end today too.
logs=demo/line-logs/logs
if [ ! -f "$logs/$(date +%F).csv" ]; then
  python3 scripts/make_demo_logs.py "$logs"
fi

mkdir -p "$build/demo"
settings="$build/demo/settings.ini"
if [ ! -f "$settings" ]; then
  printf '[SaveConfig]\nRange=Last 30 Days\n' > "$settings"
fi
export TESSALY_SETTINGS="$PWD/$settings"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: rendering the main window offscreen and writing reports instead."
  QT_QPA_PLATFORM=offscreen TESSALY_SNAPSHOT="$PWD/$build/demo/tessaly-demo.png" "$build/tessaly" --config demo
  # The first parameter of each demo product, as an X-bar and an individual chart.
  reports="$PWD/$build/demo/reports"
  mkdir -p "$reports"
  python3 - demo/PRODUCTS.INI <<'PY' | while IFS='|' read -r product column; do
import configparser, sys
ini = configparser.ConfigParser(strict=False, interpolation=None)
ini.read(sys.argv[1])
for section in ini.sections():
    if not section.endswith(" Spec"):
        print(section + "|" + ini[section + " Spec"]["1"].split(",")[0])
PY
    for chart in xbar individual; do
      base="$reports/$(echo "$product" | tr ' ' '_')-$column-$chart"
      "$build/tessaly" report --config demo --product "$product" --parameter "$column" --chart "$chart" \
        --png "$base.png" --json "$base.json" 2> /dev/null && echo "Report written: $base.png, $base.json" \
        || echo "No report for $product $column ($chart): see tessaly report --help"
    done
  done
  base="$reports/line-logs-DCDC-12V-Vout-individual"
  "$build/tessaly" report --config demo/line-logs --product DCDC-12V --parameter Vout --chart individual \
    --png "$base.png" --json "$base.json" 2> /dev/null && echo "Report written: $base.png, $base.json" \
    || echo "No report for the CSV logs of demo/line-logs: see tessaly report --help"
else
  exec "$build/tessaly" --config demo
fi
