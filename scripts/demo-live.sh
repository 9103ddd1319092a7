#!/usr/bin/env bash
# The live demo: Tessaly on its own copy of the demo database while a PSU-450 test station
# (scripts/demo_live_writer.py) adds a record every few seconds whose 12V Output Voltage drifts
# upwards. The demo starts with Auto Refresh on at 10 s, the individual chart of the last 7 days
# and the Western Electric rules; press Start Plot and the chart follows the station until a rule
# fires and the signal is announced. The bundled demo files are never written.
#   scripts/demo-live.sh [BUILD_DIR]      (TESSALY_LIVE_EVERY: seconds between records, default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

live="$build/demo-live"
mkdir -p "$live"
cp demo/ATE.INI demo/PRODUCTS.INI "$live/"
# The history ends yesterday, so that the station's records, stamped now, are the newest.
python3 scripts/make_demo_db.py "$live/tessaly_demo.sqlite" --end "$(date -d yesterday +%F)"

settings="$live/settings.ini"
printf '[SaveConfig]\nRange=Last 7 Days\nXBar=False\nRunRules=1\nRuleSet=we\nAutoRefresh=1\nRefreshInterval=10\n' \
  > "$settings"
export TESSALY_SETTINGS="$PWD/$settings"

python3 scripts/demo_live_writer.py "$live/tessaly_demo.sqlite" --every "${TESSALY_LIVE_EVERY:-3}" \
  > "$live/writer.log" &
writer=$!
trap 'kill "$writer" 2>/dev/null || true' EXIT
echo "The station writes to $live/tessaly_demo.sqlite (log: $live/writer.log)."
"$build/tessaly" --config "$live"
