"""Reads a CSV table of durno with Python's own csv module and holds it to the result files
it was made from: the rows of each file are its step lines, the last included, every value
is the number its step gave, and a field is empty where the step gave none.

    python3 csv_table_check.py DURNO
"""
import csv
import pathlib
import subprocess
import sys
import tempfile
from decimal import Decimal

# Lines before the first step line give no row; "b.out" has no step line at all, so its
# values may reach no row of "c.out". A name with a comma must come back quoted.
RESULT_FILES = {
    "a,1.out": """ ZEPRO - RESULT FILE
   VAP = 9.0E-01
 STEP NUMBER     1
 TEMPERATURE (K) =   2214.87
   VAP = 6.2500E-02
WTVAP =   2.33903E+01
  PTOT =  7.233E-03
  ASiO2 =  0.12345678901234567
  GSiO2 = 5.88e-03
 STEP NUMBER     2
  AMgO = 3.8784E-02
 STEP NUMBER     3
  PTOT =  1.5E-03
 TEMPERATURE (K) =   2300
""",
    "b.out": """ ZEPRO - RESULT FILE
   VAP = 1.0E-01
  GMgO = 2.5E-01
""",
    "c.out": """ STEP NUMBER     7
  AMgO = 1e400
  GMgO = 4.2817E-01
WTVAP =   9.9207E+01
""",
}

COLUMNS = ["file", "step", "VAP", "WTVAP", "PTOT", "ASiO2", "AMgO", "GSiO2", "GMgO",
           "TEMPERATURE (K)"]
# The line beginning that gives each value column.
KEYS = {"VAP": "VAP =", "WTVAP": "WTVAP =", "PTOT": "PTOT =", "ASiO2": "ASiO2 ",
        "AMgO": "AMgO ", "GSiO2": "GSiO2 ", "GMgO": "GMgO ",
        "TEMPERATURE (K)": "TEMPERATURE (K)"}


def expected_rows(name, text):
    """The rows a file's step lines make, each with the value texts its step gave."""
    rows = []
    for line in text.splitlines():
        line = line.lstrip(" ")
        if line.startswith("STEP NUMBER"):
            rows.append({"file": name, "step": line.split()[-1]})
        elif rows:
            for column, key in KEYS.items():
                if line.startswith(key):
                    rows[-1][column] = line.split("=")[1].split()[0]
    return rows


def check(folder, durno):
    for name, text in RESULT_FILES.items():
        (folder / name).write_text(text)
    tables = []
    for jobs in ("1", "2"):
        subprocess.run([durno, "-j", jobs, "-q", "A,G", "-c", "SiO2,MgO", "-k",
                        "TEMPERATURE (K)", "--format", "csv", "-o", "t" + jobs, "--quiet",
                        *RESULT_FILES], cwd=folder, check=True)
        tables.append((folder / ("t" + jobs + ".csv")).read_bytes())
    assert tables[0] == tables[1], "-j 2 wrote another table than -j 1"
    lines = tables[0].split(b"\n")
    assert lines[-1] == b"" and all(line.endswith(b"\r") for line in lines[:-1]), "not CR LF"

    with open(folder / "t1.csv", newline="") as table:
        rows = list(csv.reader(table))
    assert rows[0] == COLUMNS, rows[0]
    wanted = [row for name, text in RESULT_FILES.items() for row in expected_rows(name, text)]
    assert len(rows) - 1 == len(wanted), (len(rows) - 1, len(wanted))
    for got, want in zip(rows[1:], wanted):
        assert got[:2] == [want["file"], want["step"]], (got, want)
        for column, field in zip(COLUMNS[2:], got[2:]):
            if column not in want:
                assert field == "", (column, got, want)
            else:
                # A number read back is the number in the file: exactly, as decimals.
                assert Decimal(field) == Decimal(want[column]), (column, field, want[column])


def main():
    with tempfile.TemporaryDirectory() as folder:
        check(pathlib.Path(folder), sys.argv[1])
    print("the CSV reads back as its result files give it")


main()
