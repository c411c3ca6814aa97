#!/usr/bin/python3
"""Reads the first three columns of every row of a workbook with openpyxl in read-only mode:
the comparison point for the converter's speed."""
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1], read_only=True)
sheet = book.worksheets[0]
count = 0
for row in sheet.iter_rows(max_col=3, values_only=True):
    if row and row[0] is not None and row[1] is not None:
        count += 1
print(count, file=sys.stderr)
