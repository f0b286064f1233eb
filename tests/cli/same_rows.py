# same_rows.py CSV XLSX: says "same" when the workbook's sheet holds, as text cells, exactly
# the delimited file's fields (an empty field as an empty cell), else where they first differ.
import csv
import sys

import openpyxl

with open(sys.argv[1], newline="", encoding="utf-8") as delimited:
    expected = list(csv.reader(delimited))
sheet = openpyxl.load_workbook(sys.argv[2])["Subscribers"]
for number, row in enumerate(sheet.iter_rows(), 1):
    cells = [cell.value if cell.value is not None else "" for cell in row]
    wanted = expected[number - 1] if number <= len(expected) else None
    if cells != wanted or any(c.value is not None and c.data_type != "s" for c in row):
        sys.exit(f"row {number}: {cells} against {wanted}")
if sheet.max_row != len(expected) or sheet.freeze_panes != "A2" or not sheet.auto_filter.ref.endswith(str(len(expected))):
    sys.exit(f"{sheet.max_row} rows, pane {sheet.freeze_panes}, filter {sheet.auto_filter.ref}")
print("same")
