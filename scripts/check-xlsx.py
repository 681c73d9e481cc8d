#!/usr/bin/python3
"""Reads a workbook with openpyxl, a reader the program does not use, and prints
its sheets as JSON: [[title, [[value, type], ...] per row], ...]. Types are
openpyxl's: "s" for text. Text is given as Excel shows it: openpyxl leaves the
"_x0001_" escapes of characters that XML cannot hold as they are stored."""
import json
import re
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1], read_only=True)


def shown(value):
    if not isinstance(value, str):
        return value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


print(json.dumps([[sheet.title, [[[shown(c.value), c.data_type] for c in row] for row in sheet.iter_rows()]]
                  for sheet in book.worksheets], ensure_ascii=False))
