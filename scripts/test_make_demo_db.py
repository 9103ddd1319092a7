#!/usr/bin/env python3
"""Checks make_demo_db.py against the demo configuration in demo/.

Run with:  python3 -m unittest scripts/test_make_demo_db.py
"""

import configparser
import datetime as dt
import os
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_demo_db  # noqa: E402  (the products' fixture faults)
SCRIPT = os.path.join(HERE, "make_demo_db.py")
DEMO = os.path.join(HERE, os.pardir, "demo")

RECORDS = 3000
END = "2026-01-15"
MARKERS = (999.0, -999.0)


def read_ini(name):
    ini = configparser.ConfigParser(strict=False, interpolation=None)
    with open(os.path.join(DEMO, name), encoding="ascii") as f:
        ini.read_file(f)
    return ini


def limit(text, missing):
    """An LSL/USL field as a float, or None when the parameter has no such limit."""
    try:
        value = float(text)
    except ValueError:
        return None
    return None if value == missing else value


def spec_lines(products, product):
    """(column, lsl, usl) for each spec line of `product`, up to <EOT>."""
    section = products[product + " Spec"]
    lines = []
    n = 1
    while str(n) in section:
        fields = [f.strip() for f in section[str(n)].split(",")]
        if fields[0] == "<EOT>":
            break
        assert len(fields) >= 7, f"{product} spec line {n} has {len(fields)} fields"
        lines.append((fields[0], limit(fields[1], -999.0), limit(fields[2], 999.0)))
        n += 1
    return lines


def column_name(text):
    return text.strip().strip("[]")


def generate(path, records=RECORDS, end=END):
    subprocess.run([sys.executable, SCRIPT, path, "--records", str(records), "--end", end],
                   check=True, stdout=subprocess.DEVNULL)


class DemoDatabaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.first = os.path.join(cls.tmp.name, "first.sqlite")
        cls.second = os.path.join(cls.tmp.name, "second.sqlite")
        generate(cls.first)
        generate(cls.second)
        cls.con = sqlite3.connect(f"file:{cls.first}?mode=ro", uri=True)

        ate = read_ini("ATE.INI")
        cls.products_ini = read_ini("PRODUCTS.INI")
        cls.product_names = [p.strip() for p in ate["ATE Configuration"]["TestProduct"].split(",")]
        cls.test_ids = [t.strip() for t in ate["ATE Configuration"]["TestID"].split(",")]
        cls.test_id_default = ate["ATE Configuration"].get("TestIDDefault")

    @classmethod
    def tearDownClass(cls):
        cls.con.close()
        cls.tmp.cleanup()

    def tables(self):
        """(product, table, fixed column map, spec lines) for each product of ATE.INI."""
        for name in self.product_names:
            section = self.products_ini[name]
            fixed = {key: column_name(section.get(key, f"[{key}]"))
                     for key in ("TestID", "SerialNumber", "ATEID", "TestStartTime", "PassFail")}
            yield name, section["TableName"], fixed, spec_lines(self.products_ini, name)

    def columns(self, table):
        return [row[1] for row in self.con.execute(f"PRAGMA table_info({table})")]

    def test_output_is_reproducible_and_no_temporary_file_remains(self):
        with open(self.first, "rb") as a, open(self.second, "rb") as b:
            self.assertEqual(a.read(), b.read())
        self.assertEqual(sorted(os.listdir(self.tmp.name)), ["first.sqlite", "second.sqlite"])

    def test_file_uses_rollback_journal(self):
        # Header bytes 18/19 are the file format read/write versions: 1 = rollback journal, 2 = WAL.
        with open(self.first, "rb") as f:
            header = f.read(20)
        self.assertEqual(header[18:20], b"\x01\x01")

    def test_tables_have_configured_columns(self):
        for name, table, fixed, lines in self.tables():
            with self.subTest(product=name):
                columns = self.columns(table)
                for column in fixed.values():
                    self.assertIn(column, columns)
                for column, _, _ in lines:
                    self.assertIn(column, columns)

    def test_record_count_and_test_ids(self):
        total = 0
        for name, table, fixed, _ in self.tables():
            total += self.con.execute(f"SELECT COUNT(*) FROM {table}").fetchone()[0]
            used = {r[0] for r in self.con.execute(f"SELECT DISTINCT {fixed['TestID']} FROM {table}")}
            self.assertLessEqual(used, set(self.test_ids), name)
        self.assertEqual(total, RECORDS)
        if self.test_id_default:
            self.assertIn(self.test_id_default, self.test_ids)

    def test_dates_end_on_end_date_and_rows_are_in_time_order(self):
        for name, table, fixed, _ in self.tables():
            with self.subTest(product=name):
                times = [r[0] for r in self.con.execute(
                    f"SELECT {fixed['TestStartTime']} FROM {table} ORDER BY rowid")]
                self.assertEqual(times, sorted(times))
                self.assertEqual(times[-1][:10], END)
                self.assertLessEqual(times[-1], END + " 23:59:59")
                self.assertRegex(times[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")

    def test_weekend_end_date_still_gets_records(self):
        # 2026-03-01 is a Sunday, when there is normally no production.
        path = os.path.join(self.tmp.name, "sunday.sqlite")
        generate(path, records=300, end="2026-03-01")
        try:
            con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
            for name, table, fixed, _ in self.tables():
                last = con.execute(f"SELECT MAX({fixed['TestStartTime']}) FROM {table}").fetchone()[0]
                self.assertEqual(last[:10], "2026-03-01", name)
            con.close()
        finally:
            os.remove(path)

    def test_data_contains_the_irregularities_the_program_must_handle(self):
        nulls = highs = lows = 0
        for name, table, fixed, lines in self.tables():
            with self.subTest(product=name):
                fails = self.con.execute(
                    f"SELECT COUNT(*) FROM {table} WHERE {fixed['PassFail']} = 'FAIL'").fetchone()[0]
                stations = self.con.execute(
                    f"SELECT COUNT(DISTINCT {fixed['ATEID']}) FROM {table}").fetchone()[0]
                self.assertGreater(fails, 0)
                self.assertGreater(stations, 1)
            for column, _, _ in lines:
                n, h, l = self.con.execute(
                    f"SELECT SUM({column} IS NULL), SUM({column} = 999), SUM({column} = -999) FROM {table}"
                ).fetchone()
                nulls, highs, lows = nulls + n, highs + h, lows + l
        self.assertGreater(nulls, 0)
        self.assertGreater(highs, 0)
        self.assertGreater(lows, 0)

    def test_pass_fail_agrees_with_configured_limits(self):
        """A test fails where a value is out of its limits; otherwise it passes, except for the
        FT1 tests that a product's faulty fixture fails on its day."""
        faults = {p.name: p.fixture_fault for p in make_demo_db.PRODUCTS}
        end = dt.date.fromisoformat(END)
        for name, table, fixed, lines in self.tables():
            with self.subTest(product=name):
                fault = faults[name]
                cols = ", ".join([fixed["PassFail"], fixed["ATEID"], fixed["TestID"], fixed["TestStartTime"]]
                                 + [c for c, _, _ in lines])
                for row in self.con.execute(f"SELECT {cols} FROM {table}"):
                    verdict, station, test_id, when = row[:4]
                    out_of_spec = any(
                        v is not None and v not in MARKERS
                        and ((lsl is not None and v < lsl) or (usl is not None and v > usl))
                        for v, (_, lsl, usl) in zip(row[4:], lines))
                    fixture_failed = (verdict == "FAIL" and not out_of_spec and fault is not None
                                      and station == fault.station and test_id == "FT1"
                                      and when[:10] == fault.day(end).isoformat())
                    self.assertEqual(verdict, "FAIL" if out_of_spec or fixture_failed else "PASS", row)

    def test_fixture_fault_day_stands_out(self):
        """On its day the faulty station fails several times the share of FT1 tests it fails on
        the other days: the signal of the demo's yield chart."""
        path = os.path.join(self.tmp.name, "fault.sqlite")
        generate(path, records=20000)
        try:
            con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
            product = next(p for p in make_demo_db.PRODUCTS if p.fixture_fault is not None)
            fault = product.fixture_fault
            day = fault.day(dt.date.fromisoformat(END)).isoformat()
            rate = ("SELECT AVG(PassFail = 'FAIL') FROM {} WHERE ATEID = ? AND TestID = 'FT1'"
                    " AND substr(TestStartTime, 1, 10) {} ?").format(product.table, "{}")
            on_day = con.execute(rate.format("="), (fault.station, day)).fetchone()[0]
            other_days = con.execute(rate.format("<>"), (fault.station, day)).fetchone()[0]
            con.close()
        finally:
            os.remove(path)
        self.assertGreater(on_day, 5 * other_days)
        self.assertGreater(on_day, 0.2)

    def test_retests_follow_a_first_test_of_the_same_unit(self):
        for name, table, fixed, _ in self.tables():
            with self.subTest(product=name):
                sn, tid, ts = fixed["SerialNumber"], fixed["TestID"], fixed["TestStartTime"]
                retests, orphans = self.con.execute(
                    f"SELECT COUNT(*), SUM(NOT EXISTS (SELECT 1 FROM {table} f"
                    f" WHERE f.{sn} = r.{sn} AND f.{tid} = 'FT1' AND f.{ts} < r.{ts}))"
                    f" FROM {table} r WHERE r.{tid} = 'RETEST'").fetchone()
                self.assertGreater(retests, 0)
                self.assertEqual(orphans, 0)

    def test_first_parameter_shifts_in_the_last_week(self):
        # The demo opens on the first parameter of the first product; its last week lies well
        # above the three weeks before, so the control charts of the last 30 days show signals.
        name, table, fixed, lines = next(self.tables())
        column, ts = lines[0][0], fixed["TestStartTime"]

        def passed_values(since, until):
            return [r[0] for r in self.con.execute(
                f"SELECT {column} FROM {table} WHERE UPPER({fixed['PassFail']}) = 'PASS'"
                f" AND {column} NOT IN (999, -999) AND {ts} >= date(?, ?) AND {ts} < date(?, ?)",
                (END, since, END, until))]

        before, last = passed_values("-29 days", "-7 days"), passed_values("-6 days", "+1 day")
        self.assertGreater(len(last), 20, name)
        self.assertGreater(statistics.mean(last) - statistics.mean(before), statistics.stdev(before), name)


if __name__ == "__main__":
    unittest.main()
