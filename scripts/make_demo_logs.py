#!/usr/bin/env python3
"""Write the CSV logs of the Tessaly demo's second configuration (demo/line-logs/).

    python3 scripts/make_demo_logs.py FOLDER [--records N] [--end YYYY-MM-DD]

The test station of a second DCDC-12V line writes one log a day, FOLDER/YYYY-MM-DD.csv, as a
German spreadsheet saves it: semicolons, dates "dd.MM.yyyy HH:mm:ss", a decimal point. The records
are those make_demo_db.py makes for DCDC-12V (its step change included), ending on --end; an empty
field is a value that was not measured. The folder's .csv files are replaced.
"""

from __future__ import annotations

import argparse
import datetime as dt
import glob
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_demo_db import FIXED_COLUMNS, PRODUCTS, generate_product  # noqa: E402

PRODUCT = "DCDC-12V"


def field(value) -> str:
    if value is None:
        return ""
    return value if isinstance(value, str) else repr(value)


def day_first(iso: str) -> str:
    when = dt.datetime.strptime(iso, "%Y-%m-%d %H:%M:%S")
    return when.strftime("%d.%m.%Y %H:%M:%S")


def write_logs(folder: str, records: int, end: dt.date) -> dict[str, int]:
    product = next(p for p in PRODUCTS if p.name == PRODUCT)
    rows = generate_product(product, records, end)
    header = ";".join(FIXED_COLUMNS + tuple(p.column for p in product.params))
    days: dict[str, list[str]] = {}
    for row in rows:
        day = row[2][:10]
        fields = [field(v) for v in row]
        fields[2] = day_first(row[2])
        days.setdefault(day, []).append(";".join(fields))
    os.makedirs(folder, exist_ok=True)
    for old in glob.glob(os.path.join(folder, "*.csv")):
        os.remove(old)
    for day, lines in days.items():
        path = os.path.join(folder, day + ".csv")
        with open(path + ".tmp", "w", encoding="utf-8", newline="\n") as f:
            f.write(header + "\n" + "\n".join(lines) + "\n")
        os.replace(path + ".tmp", path)
    return {day: len(lines) for day, lines in days.items()}


def main(argv: list[str]) -> int:
    ap = argparse.ArgumentParser(description="Write the CSV logs of the Tessaly demo.")
    ap.add_argument("folder", help="folder of the daily logs")
    ap.add_argument("--records", type=int, default=12_000, help="number of test records (default 12000)")
    ap.add_argument("--end", type=dt.date.fromisoformat, default=dt.date.today(),
                    help="date of the newest records, YYYY-MM-DD (default today)")
    args = ap.parse_args(argv)
    days = write_logs(args.folder, args.records, args.end)
    print(f"{PRODUCT}: {sum(days.values())} records in {len(days)} daily logs -> {os.path.abspath(args.folder)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
