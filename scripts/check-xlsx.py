#!/usr/bin/python3
"""Reads a workbook with openpyxl, a reader the program does not use, and prints
its sheets as JSON: [[title, [[value, type], ...] per row], ...]. Types are
openpyxl's: "s" for text."""
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1], read_only=True)
print(json.dumps([[sheet.title, [[[c.value, c.data_type] for c in row] for row in sheet.iter_rows()]]
                  for sheet in book.worksheets], ensure_ascii=False))
