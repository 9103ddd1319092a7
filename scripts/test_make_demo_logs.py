#!/usr/bin/env python3
"""Checks make_demo_logs.py against the demo's second configuration in demo/line-logs/.

Run with:  python3 -m unittest scripts/test_make_demo_logs.py
"""

import configparser
import datetime as dt
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "make_demo_logs.py")
CONFIG = os.path.join(HERE, os.pardir, "demo", "line-logs")


class MakeDemoLogsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        subprocess.run([sys.executable, SCRIPT, cls.folder.name, "--records", "2000", "--end", "2026-01-17"],
                       check=True, capture_output=True)
        cls.logs = sorted(os.listdir(cls.folder.name))

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def lines(self, name):
        with open(os.path.join(self.folder.name, name), encoding="utf-8") as f:
            return f.read().splitlines()

    def test_a_log_a_working_day_up_to_the_end(self):
        self.assertEqual(self.logs[-1], "2026-01-17.csv")  # a Saturday: the end date is always worked
        days = [dt.date.fromisoformat(name[:-4]) for name in self.logs]
        self.assertTrue(all(day.weekday() != 6 for day in days[:-1]), "nobody tests on Sundays")
        self.assertEqual(sum(len(self.lines(name)) - 1 for name in self.logs), 2000)

    def test_columns_are_those_the_configuration_names(self):
        ini = configparser.ConfigParser(strict=False, interpolation=None)
        ini.read(os.path.join(CONFIG, "PRODUCTS.INI"))
        ate = configparser.ConfigParser(strict=False, interpolation=None)
        ate.read(os.path.join(CONFIG, "ATE.INI"))
        product = ate["ATE Configuration"]["TestProduct"]
        spec = ini[product + " Spec"]
        columns = [spec[key].split(",")[0] for key in spec if spec[key].split(",")[0] != "<EOT>"]
        mapped = [ini[product][key].strip("[]") for key in ("SerialNumber", "ATEID", "TestStartTime", "PassFail",
                                                             "TestID")]
        for name in self.logs:
            self.assertEqual(self.lines(name)[0].split(";"), mapped + columns, name)

    def test_start_times_day_first_on_their_day(self):
        for name in (self.logs[0], self.logs[-1]):
            for line in self.lines(name)[1:]:
                when = dt.datetime.strptime(line.split(";")[2], "%d.%m.%Y %H:%M:%S")
                self.assertEqual(when.date().isoformat(), name[:-4])


if __name__ == "__main__":
    unittest.main()
