#!/usr/bin/env python3
"""Create the SQLite database used by the Tessaly demo configuration (demo/).

    python3 scripts/make_demo_db.py OUTPUT.sqlite [--records N] [--end YYYY-MM-DD]

The data imitate about four months of end-of-line testing of three power
supply products on four test stations: normally distributed measurements
around each nominal value, a calibration offset per station, one step change
(DCDC-12V output voltage), one slow drift (PSU-450 hold-up time), a recent
shift of the PSU-450 12V output (a step a week before the end that keeps
drifting upwards over the last days, so that the charts the demo opens with
show out-of-control runs), a few defective units that fail and are retested,
FT2 repeats after burn-in, a day on which a worn fixture of one PSU-450 station
fails units whose measurements are all fine (a yield chart signal that the
units' later tests recover), and the occasional NULL or 999/-999 "not measured"
marker that a tester writes when a measurement could not be taken.

The generator is seeded with a constant, so the same --records and --end
always give a byte-identical file. The file is written next to OUTPUT under a
temporary name and renamed over OUTPUT only when complete.

Product names, table names, columns and limits must agree with
demo/PRODUCTS.INI; scripts/test_make_demo_db.py checks that they do.
"""

from __future__ import annotations

import argparse
import bisect
import datetime as dt
import math
import os
import random
import sqlite3
import sys
import tempfile
from dataclasses import dataclass, field

SEED = 20240611
SPAN_DAYS = 120
STATIONS = ("ATE-01", "ATE-02", "ATE-03", "ATE-04")

# Probability that a single stored value is NULL, or a 999/-999 marker.
P_NULL = 0.0003
P_MARKER = 0.0007
# Probability that a unit carries a defect that drives one parameter out of its limits.
P_DEFECT = 0.006
# Probability that a failing unit is reworked and retested.
P_RETEST_FAILED = 0.75
# Probability that a passing unit is retested anyway (operator repeats the test).
P_RETEST_PASSED = 0.004
# Share of units that get a second final test (FT2) after burn-in.
FT2_SHARE = 0.20
EXPECTED_RECORDS_PER_UNIT = 1.0 + FT2_SHARE + 0.012

# The recent shift of the demo's first parameter: a step of RECENT_STEP sigmas RECENT_STEP_DAYS
# before the end, then a further drift of RECENT_DRIFT sigmas over the last RECENT_DRIFT_DAYS.
# Control limits come from the charted points themselves, so a shift that covers much of the
# 30 days the demo shows moves the centre line instead, and the older weeks signal below it.
RECENT_STEP_DAYS = 7
RECENT_STEP = 1.0
RECENT_DRIFT_DAYS = 4
RECENT_DRIFT = 1.0


@dataclass(frozen=True)
class Param:
    column: str
    lsl: float | None            # None: no lower limit
    usl: float | None            # None: no upper limit
    nominal: float
    sigma: float                 # absolute; relative (of nominal) for lognormal parameters
    decimals: int
    lognormal: bool = False      # ripple-like quantities: positive and right-skewed
    clip_max: float | None = None  # physical ceiling, e.g. a power factor below 1
    defect_side: int = 0         # +1: defects push above USL, -1: below LSL, 0: either

    def abs_sigma(self) -> float:
        return self.nominal * self.sigma if self.lognormal else self.sigma

    def in_limits(self, value: float) -> bool:
        if self.lsl is not None and value < self.lsl:
            return False
        if self.usl is not None and value > self.usl:
            return False
        return True


@dataclass(frozen=True)
class Step:
    """A step change of `size` sigmas from day `day` of the span onwards."""
    column: str
    day: int
    size: float


@dataclass(frozen=True)
class Drift:
    """A linear drift from day `day` of the span, reaching `total` sigmas at its end."""
    column: str
    total: float
    day: int = 0


@dataclass(frozen=True)
class FixtureFault:
    """On the first working day `days_before_end` days before the end, `station` fails a `share`
    of the FT1 tests that its measurements would pass (bad contact in a worn fixture), of units
    that pass a later test."""
    station: str
    days_before_end: int
    share: float

    def day(self, end: dt.date) -> dt.date:
        day = end - dt.timedelta(days=self.days_before_end)
        while day.weekday() >= 5:
            day += dt.timedelta(days=1)
        return day


@dataclass(frozen=True)
class Product:
    name: str
    table: str
    serial_prefix: str
    share: float                              # share of all records
    stations: tuple[tuple[str, float], ...]   # station, share of this product's tests
    params: tuple[Param, ...]
    # Fixed station offsets in sigmas, on top of small random ones: (station, column) -> offset.
    station_bias: dict[tuple[str, str], float] = field(default_factory=dict)
    steps: tuple[Step, ...] = ()
    drifts: tuple[Drift, ...] = ()
    fixture_fault: FixtureFault | None = None


PRODUCTS: tuple[Product, ...] = (
    Product(
        name="PSU-450",
        table="PSU450_Results",
        serial_prefix="P450",
        share=0.45,
        stations=(("ATE-01", 0.40), ("ATE-02", 0.35), ("ATE-03", 0.25)),
        params=(
            Param("Vout_12V", 11.40, 12.60, 12.02, 0.11, 3),
            Param("Ripple_12V", 0.0, 120.0, 52.0, 0.20, 1, lognormal=True, defect_side=+1),
            Param("Vsb_5V", 4.75, 5.25, 5.03, 0.05, 3),
            Param("Efficiency", 88.0, None, 91.2, 0.70, 2, clip_max=99.0, defect_side=-1),
            Param("PowerFactor", 0.950, 1.000, 0.980, 0.004, 3, clip_max=0.999, defect_side=-1),
            Param("NoLoadPower", 0.0, 0.50, 0.28, 0.04, 3, defect_side=+1),
            Param("HoldUp", 16.0, 40.0, 21.5, 1.2, 2, defect_side=-1),
        ),
        station_bias={("ATE-02", "Vout_12V"): 0.6, ("ATE-03", "Ripple_12V"): 0.5},
        # The demo opens on Vout_12V over the last 30 days; its recent shift gives the control
        # charts runs and zone patterns in the last days.
        steps=(Step("Vout_12V", SPAN_DAYS - RECENT_STEP_DAYS, RECENT_STEP),),
        drifts=(Drift("HoldUp", -2.0), Drift("Vout_12V", RECENT_DRIFT, SPAN_DAYS - RECENT_DRIFT_DAYS)),
        # Well before the recent shift, so that the shift's charts stay as they are.
        fixture_fault=FixtureFault("ATE-03", 18, 0.8),
    ),
    Product(
        name="DCDC-12V",
        table="DCDC12V_Results",
        serial_prefix="D12V",
        share=0.35,
        stations=(("ATE-02", 0.30), ("ATE-03", 0.30), ("ATE-04", 0.40)),
        params=(
            Param("Vout", 11.880, 12.120, 12.000, 0.022, 4),
            Param("LoadReg", -0.50, 0.50, 0.12, 0.08, 3),
            Param("LineReg", -0.20, 0.20, 0.03, 0.035, 3),
            Param("Ripple", 0.0, 50.0, 22.0, 0.22, 1, lognormal=True, defect_side=+1),
            Param("Efficiency", 89.0, 95.0, 92.3, 0.45, 2, defect_side=-1),
            Param("NoLoadCurrent", 0.0, 25.0, 14.0, 1.8, 2, defect_side=+1),
            Param("SoftStart", 2.0, 8.0, 4.8, 0.5, 2),
            Param("OCPTrip", 5.50, 7.50, 6.40, 0.22, 3),
        ),
        station_bias={("ATE-04", "Efficiency"): -0.5},
        steps=(Step("Vout", 72, 1.0),),
    ),
    Product(
        name="LED Driver 700mA",
        table="LED700_Results",
        serial_prefix="L700",
        share=0.20,
        stations=(("ATE-01", 0.55), ("ATE-04", 0.45)),
        params=(
            Param("Iout", 686.0, 714.0, 700.5, 3.2, 1),
            Param("VoutOpen", 48.0, 56.0, 52.3, 0.8, 2),
            Param("CurrentRipple", 0.0, 10.0, 4.2, 0.18, 2, lognormal=True, defect_side=+1),
            Param("PowerFactor", 0.900, 1.000, 0.962, 0.008, 3, clip_max=0.999, defect_side=-1),
            Param("THD", 0.0, 20.0, 11.0, 1.6, 2, defect_side=+1),
            Param("Efficiency", 86.0, 94.0, 89.8, 0.8, 2, defect_side=-1),
            Param("StartupDelay", 0.0, 500.0, 240.0, 35.0, 0, defect_side=+1),
        ),
        station_bias={("ATE-04", "Iout"): -0.4},
    ),
)

FIXED_COLUMNS = ("SerialNumber", "ATEID", "TestStartTime", "PassFail", "TestID")


# --- working time -------------------------------------------------------------

class WorkingTime:
    """Maps a position on a weighted working-time axis [0, total) to a timestamp.

    Two shifts (06:00-14:00, 14:00-22:00) Monday to Friday, a lighter early
    shift on Saturdays, nothing on Sundays. Every day gets a random volume
    factor. The end date is always a working day so the newest records fall
    on it.
    """

    def __init__(self, end: dt.date, rng: random.Random):
        self.first_day = end - dt.timedelta(days=SPAN_DAYS - 1)
        self.span_start = dt.datetime.combine(self.first_day, dt.time())
        self.span_seconds = SPAN_DAYS * 86400.0
        self.starts: list[dt.datetime] = []
        self.lengths: list[int] = []
        self.weights: list[float] = []
        self.cum: list[float] = []
        total = 0.0
        self.end_day_start = 0.0
        for d in range(SPAN_DAYS):
            day = self.first_day + dt.timedelta(days=d)
            volume = rng.uniform(0.7, 1.25)
            weekday = day.weekday()
            if day == end:
                self.end_day_start = total
                shifts = ((6, 0.9), (14, 0.9))
            elif weekday < 5:
                shifts = ((6, 1.0), (14, 0.85))
            elif weekday == 5:
                shifts = ((6, 0.4),)
            else:
                continue
            for hour, weight in shifts:
                self.starts.append(dt.datetime.combine(day, dt.time(hour)))
                self.lengths.append(8 * 3600)
                self.weights.append(weight * volume)
                self.cum.append(total)
                total += 8 * 3600 * weight * volume
        self.total = total
        self.per_day = total / SPAN_DAYS

    def at(self, pos: float) -> dt.datetime:
        i = max(0, bisect.bisect_right(self.cum, pos) - 1)
        offset = int((pos - self.cum[i]) / self.weights[i])
        offset = min(max(offset, 0), self.lengths[i] - 1)
        return self.starts[i] + dt.timedelta(seconds=offset)

    def fraction(self, when: dt.datetime) -> float:
        """Position of `when` in the calendar span, 0 at the first day, 1 at the end."""
        return (when - self.span_start).total_seconds() / self.span_seconds


# --- measurement model --------------------------------------------------------

class Model:
    def __init__(self, product: Product, wt: WorkingTime, rng: random.Random):
        self.product = product
        self.wt = wt
        self.rng = rng
        # Calibration offset (absolute) per station and parameter, and a noise factor per station.
        self.offset: dict[tuple[str, str], float] = {}
        self.noise: dict[str, float] = {}
        for station, _ in product.stations:
            self.noise[station] = rng.uniform(0.92, 1.12)
            for p in product.params:
                sigmas = rng.gauss(0.0, 0.15) + product.station_bias.get((station, p.column), 0.0)
                self.offset[(station, p.column)] = sigmas * p.abs_sigma()
        self.step_start = {
            s.column: dt.datetime.combine(wt.first_day + dt.timedelta(days=s.day), dt.time())
            for s in product.steps
        }
        self.station_names = [s for s, _ in product.stations]
        self.station_cum: list[float] = []
        acc = 0.0
        for _, share in product.stations:
            acc += share
            self.station_cum.append(acc)

    def pick_station(self) -> str:
        r = self.rng.random() * self.station_cum[-1]
        return self.station_names[bisect.bisect_right(self.station_cum, r)]

    def pick_defect(self) -> tuple[str, int] | None:
        if self.rng.random() >= P_DEFECT:
            return None
        p = self.rng.choice(self.product.params)
        side = p.defect_side or self.rng.choice((-1, 1))
        if (side < 0 and p.lsl is None) or (side > 0 and p.usl is None):
            side = -side
        return p.column, side

    def measure(self, when: dt.datetime, station: str,
                defect: tuple[str, int] | None) -> tuple[list[float | None], bool]:
        """Returns the stored values of one test and whether it passed.

        Pass/fail is judged on the rounded values, ignoring values that were
        not measured (NULL, 999, -999).
        """
        rng = self.rng
        frac = self.wt.fraction(when)
        noise = self.noise[station]
        values: list[float | None] = []
        passed = True
        for p in self.product.params:
            s = p.abs_sigma()
            if defect is not None and defect[0] == p.column:
                limit = p.usl if defect[1] > 0 else p.lsl
                v = limit + defect[1] * s * rng.uniform(0.3, 3.0)
                if p.lognormal or p.lsl == 0.0:
                    v = max(v, 0.0)
            else:
                centre = p.nominal
                for d in self.product.drifts:
                    if d.column == p.column:
                        start = d.day / SPAN_DAYS
                        centre += d.total * s * max(0.0, (frac - start) / (1.0 - start))
                for st in self.product.steps:
                    if st.column == p.column and when >= self.step_start[p.column]:
                        centre += st.size * s
                if p.lognormal:
                    v = centre * math.exp(rng.gauss(0.0, p.sigma * noise))
                else:
                    v = rng.gauss(centre, s * noise)
                v += self.offset[(station, p.column)]
            if p.clip_max is not None:
                v = min(v, p.clip_max)
            v = round(v, p.decimals)
            r = rng.random()
            if r < P_NULL:
                values.append(None)
            elif r < P_NULL + P_MARKER:
                values.append(999.0 if rng.random() < 0.5 else -999.0)
            else:
                values.append(v)
                if not p.in_limits(v):
                    passed = False
        return values, passed


# --- generation ---------------------------------------------------------------

@dataclass
class Record:
    pos: float
    unit: int
    station: str
    test_id: str
    when: dt.datetime
    values: list[float | None]
    passed: bool


def generate_product(product: Product, target: int, end: dt.date) -> list[tuple]:
    rng = random.Random(f"tessaly-demo:{SEED}:{product.name}")
    wt = WorkingTime(end, rng)
    model = Model(product, wt, rng)

    units = max(1, round(target / EXPECTED_RECORDS_PER_UNIT))
    # One unit per slot of the working-time axis keeps production flowing evenly;
    # the last unit is always tested on the end date.
    positions = [(i + rng.random()) / units * wt.total for i in range(units)]
    last_floor = wt.end_day_start + rng.random() * (wt.total - wt.end_day_start)
    positions[-1] = min(max(positions[-1], last_floor), wt.total * (1 - 1e-9))

    def test(unit: int, pos: float, test_id: str, defect) -> Record:
        station = model.pick_station()
        when = wt.at(pos)
        values, passed = model.measure(when, station, defect)
        return Record(pos, unit, station, test_id, when, values, passed)

    records: list[Record] = []
    defects: list[tuple[str, int] | None] = []
    for unit, pos in enumerate(positions):
        defect = model.pick_defect()
        defects.append(defect)
        rec = test(unit, pos, "FT1", defect)
        records.append(rec)
        p_retest = P_RETEST_PASSED if rec.passed else P_RETEST_FAILED
        if rng.random() < p_retest:
            retest_pos = pos + wt.per_day * rng.uniform(0.01, 0.25)
            if retest_pos < wt.total:
                # Rework usually fixes the defect; sometimes the unit fails again.
                still = defect if defect is not None and rng.random() < 0.2 else None
                records.append(test(unit, retest_pos, "RETEST", still))

    # FT2 after burn-in, roughly a day later; the number of FT2 tests makes up
    # the requested record count exactly whenever enough units qualify.
    ft2_pos = [pos + wt.per_day * rng.uniform(0.8, 1.6) for pos in positions]
    eligible = [u for u in range(units) if ft2_pos[u] < wt.total and defects[u] is None]
    wanted = min(max(target - len(records), 0), len(eligible))
    for unit in sorted(rng.sample(eligible, wanted)):
        records.append(test(unit, ft2_pos[unit], "FT2", None))

    records.sort(key=lambda r: (r.pos, r.unit))
    if product.fixture_fault is not None:
        mark_fixture_fault(product, product.fixture_fault, end, records)

    # Serial numbers run in order of the first test and carry its year and month.
    serials = []
    for unit, pos in enumerate(positions):
        first = wt.at(pos)
        serials.append(f"{product.serial_prefix}-{first:%y%m}-{100 + unit:06d}")

    return [
        (serials[r.unit], r.station, r.when.strftime("%Y-%m-%d %H:%M:%S"),
         "PASS" if r.passed else "FAIL", r.test_id, *r.values)
        for r in records
    ]


def mark_fixture_fault(product: Product, fault: FixtureFault, end: dt.date, records: list[Record]) -> None:
    """Fails some passing FT1 tests of the faulty station on its day, of units whose later test
    passes, so that the final yield recovers what the first pass lost. A generator of its own
    decides, so that every measurement stays what it would have been without the fault."""
    rng = random.Random(f"tessaly-demo:{SEED}:{product.name}:fixture")
    day = fault.day(end)
    retested = {r.unit for r in records if r.test_id != "FT1" and r.passed}
    for r in records:
        if (r.station == fault.station and r.test_id == "FT1" and r.passed and r.when.date() == day
                and r.unit in retested):
            r.passed = rng.random() >= fault.share


def write_database(path: str, rows_by_product: dict[str, list[tuple]]) -> None:
    con = sqlite3.connect(path, isolation_level=None)
    try:
        con.execute("PRAGMA journal_mode=DELETE")
        con.execute("BEGIN")
        for product in PRODUCTS:
            columns = [f"{c} TEXT" for c in FIXED_COLUMNS] + [f"{p.column} REAL" for p in product.params]
            con.execute(f"CREATE TABLE {product.table} ({', '.join(columns)})")
            marks = ", ".join("?" * (len(FIXED_COLUMNS) + len(product.params)))
            con.executemany(f"INSERT INTO {product.table} VALUES ({marks})", rows_by_product[product.name])
            con.execute(f"CREATE INDEX idx_{product.table}_TestStartTime ON {product.table} (TestStartTime)")
        con.execute("COMMIT")
    finally:
        con.close()


def split_records(total: int) -> list[int]:
    counts = [int(total * p.share) for p in PRODUCTS]
    counts[0] += total - sum(counts)
    return counts


def parse_args(argv: list[str]) -> argparse.Namespace:
    ap = argparse.ArgumentParser(description="Create the Tessaly demo SQLite database.")
    ap.add_argument("output", help="database file to create or replace")
    ap.add_argument("--records", type=int, default=100_000,
                    help="total number of test records over all products (default 100000)")
    ap.add_argument("--end", type=dt.date.fromisoformat, default=dt.date.today(),
                    help="date of the newest records, YYYY-MM-DD (default today)")
    args = ap.parse_args(argv)
    if args.records < 100:
        ap.error("--records must be at least 100")
    return args


def main(argv: list[str]) -> int:
    args = parse_args(argv)
    out = os.path.abspath(args.output)
    rows = {p.name: generate_product(p, n, args.end)
            for p, n in zip(PRODUCTS, split_records(args.records))}

    fd, tmp = tempfile.mkstemp(prefix=".tmp-", suffix=".sqlite", dir=os.path.dirname(out))
    os.close(fd)
    try:
        # mkstemp creates the file private to us; give it the usual permissions.
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(tmp, 0o666 & ~umask)
        write_database(tmp, rows)
        os.replace(tmp, out)
    except BaseException:
        for leftover in (tmp, tmp + "-journal"):
            if os.path.exists(leftover):
                os.remove(leftover)
        raise

    summary = ", ".join(f"{name}: {len(r)}" for name, r in rows.items())
    print(f"{summary} records -> {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
