#!/usr/bin/env python3
"""Play a PSU-450 test station for the live demo (scripts/demo-live.sh).

    python3 scripts/demo_live_writer.py DATABASE [--every SECONDS] [--records N]
                                                  [--start VOLTS] [--step VOLTS]

Every few seconds one passed FT1 record of PSU-450 is added to DATABASE (a
copy of the demo database), stamped with the current time and the next test
station in turn. Its 12V Output Voltage starts at --start and rises by --step
with every record, so that the chart that follows the data soon shows the
drift and a run rule fires; the other measurements stay at the product's
typical values. Each record is committed on its own, as a tester would, and
a short busy wait covers a reader that holds the file for a moment.
"""

from __future__ import annotations

import argparse
import datetime as dt
import sqlite3
import sys
import time

STATIONS = ("ATE-01", "ATE-02", "ATE-03", "ATE-04")
# Typical values of the measurements the demo does not drift.
TYPICAL = {"Ripple_12V": 55.0, "Vsb_5V": 5.08, "Efficiency": 91.5, "PowerFactor": 0.982,
           "NoLoadPower": 0.27, "HoldUp": 18.5}


def record(number: int, volts: float, at: dt.datetime) -> tuple:
    return (f"P450-LIVE-{number:04d}", STATIONS[number % len(STATIONS)], at.strftime("%Y-%m-%d %H:%M:%S"),
            "PASS", "FT1", round(volts, 3), *TYPICAL.values())


def main(argv: list[str]) -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("database")
    ap.add_argument("--every", type=float, default=3.0, help="seconds between two records")
    ap.add_argument("--records", type=int, default=200, help="records to add before ending")
    ap.add_argument("--start", type=float, default=12.25, help="12V Output Voltage of the first record")
    ap.add_argument("--step", type=float, default=0.02, help="rise of the voltage per record")
    args = ap.parse_args(argv)

    columns = "SerialNumber, ATEID, TestStartTime, PassFail, TestID, Vout_12V, " + ", ".join(TYPICAL)
    insert = f"INSERT INTO PSU450_Results ({columns}) VALUES ({', '.join('?' * (6 + len(TYPICAL)))})"
    db = sqlite3.connect(args.database, timeout=10)
    for number in range(1, args.records + 1):
        row = record(number, args.start + args.step * (number - 1), dt.datetime.now())
        db.execute(insert, row)
        db.commit()
        print(f"{row[2]}  {row[0]}  {row[1]}  Vout_12V={row[5]:.3f}", flush=True)
        time.sleep(args.every)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
