#!/usr/bin/env python3
"""Reads CSV from standard input with Python's csv module, strictly, and prints every record
with its fields joined by "|". Exits 1 when a record has another number of fields than the
header or a line does not end with CR LF."""
import csv
import io
import sys

data = sys.stdin.buffer.read().decode("utf-8")
if data and not data.endswith("\r\n"):
    sys.exit("the last record does not end with CR LF")
rows = list(csv.reader(io.StringIO(data, newline=""), strict=True))
for row in rows:
    if len(row) != len(rows[0]):
        sys.exit(f"{len(row)} fields where the header has {len(rows[0])}: {row}")
    print("|".join(row))
