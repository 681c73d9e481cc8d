#!/usr/bin/env bash
# Makes the workbooks of the generation tests, once; they are committed as made.
# openpyxl.xlsx is saved by openpyxl (inline strings, no cached formula values);
# libreoffice.xlsx and workbook.xls are the same rows saved by
# LibreOffice (shared strings, formulas with their cached values), and so are
# formulas.xlsx and formulas.xls, of formulas of every kind of result, and merged.xlsx
# and merged.xls, of a merged area whose covered cells hold text; the damaged
# files are cut or altered copies; encrypted.xlsx is written by hand below
# (LibreOffice's store with a password gave a plain one). Needs python3-openpyxl,
# libreoffice-calc-nogui.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" - <<'PY'
import datetime
import openpyxl

def rows(ws):
    ws.append(["名称", "内容"])
    ws.append(["共享", "中文内容：你好世界"])
    ws.append(["日本語", "こんにちは、世界"])
    ws.append(["emoji", "😀🎉 OK"])
    ws.append(["身份证", "110105199003071234"])
    ws.append(["EAN", 6901234567892])
    ws.append(["日期", datetime.date(2024, 3, 5)])
    ws["B7"].number_format = "yyyy/m/d"
    ws.append(["时间", datetime.datetime(2024, 3, 5, 14, 30)])
    ws["B8"].number_format = "yyyy-mm-dd hh:mm"
    ws.append(["公式", "=B6+1"])
    ws.append(["合并", "合并单元格"])
    ws.append(["下一行", None])
    ws.merge_cells("B10:B11")
    ws.append(["小数", 3.14])
    ws.append(["前导零", 123])
    ws["B13"].number_format = "000000"
    # An empty trailing row that still holds a formatted cell.
    ws["A14"].number_format = "0.00"

wb = openpyxl.Workbook()
first = wb.active
first.title = "隐藏"
first.append(["名称", "内容"])
first.append(["不该读取", "hidden"])
first.sheet_state = "hidden"
rows(wb.create_sheet("名单"))
other = wb.create_sheet("其他")
other.append(["名称", "内容"])
other.append(["另一表", "第二张表的内容"])
wb.active = 1
wb.save("openpyxl.xlsx")
PY

# LibreOffice saves the same rows again, computing the formula's value.
cp openpyxl.xlsx "$work/libreoffice-source.xlsx"
soffice --headless -env:UserInstallation=file://$work/profile --convert-to xlsx:"Calc MS Excel 2007 XML" \
  --outdir "$work/lo" "$work/libreoffice-source.xlsx" >/dev/null
mv "$work/lo/libreoffice-source.xlsx" libreoffice.xlsx
soffice --headless -env:UserInstallation=file://$work/profile --convert-to xls:"MS Excel 97" \
  --outdir "$work/lo" "$work/libreoffice-source.xlsx" >/dev/null
mv "$work/lo/libreoffice-source.xls" workbook.xls

"$python" - "$work/formulas.xlsx" <<'PY'
import sys
import openpyxl

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "结果"
ws.append(["名称", "内容"])
ws.append(["文字", '="码"&"A1"'])
# Longer than one record holds: the text runs on into CONTINUE records.
ws.append(["长文字", '=REPT("码",3000)&REPT("a",6000)&"尾"'])
ws.append(["真", "=1=1"])
ws.append(["假", "=1=2"])
ws.append(["错误", "=1/0"])
ws.append(["无值", "=NA()"])
ws.append(["空文字", '=""'])
# Numbers side by side are stored in one record (MULRK).
ws.append(["零填充", 42, 7])
ws["B9"].number_format = "00000"
ws["C9"].number_format = "00000"
ws.append(["公式零填充", "=B9*2"])
ws["B10"].number_format = "00000"
ws.append(["日期", "=DATE(2024,3,5)"])
ws["B11"].number_format = "yyyy-mm-dd"
wb.save(sys.argv[1])
PY
for format in xlsx:"Calc MS Excel 2007 XML" xls:"MS Excel 97"; do
  soffice --headless -env:UserInstallation=file://$work/profile --convert-to "$format" \
    --outdir "$work/lo" "$work/formulas.xlsx" >/dev/null
done
mv "$work/lo/formulas.xlsx" "$work/lo/formulas.xls" .

# Not workbooks, or no longer whole ones.
printf '名称,内容\na,b\n' >renamed_csv.xlsx
head -c 2000 libreoffice.xlsx >truncated.xlsx
head -c 5000 workbook.xls >truncated.xls
"$python" - <<'PY'
# The number record of 前导零 (row 12, column 1) told as 4 bytes long instead of 10.
data = bytearray(open("workbook.xls", "rb").read())
record = bytes.fromhex("7e020a000c000100")
assert data.count(record) == 1
data[data.find(record) + 2] = 4
open("cut_record.xls", "wb").write(bytes(data))
# 名单 hidden and 其他 a chart sheet: no visible sheet of cells is left.
data = bytearray(open("workbook.xls", "rb").read())
def sheet_entry(name):
    # State and type bytes, then the name's length, a flags byte for UTF-16, the name.
    entry = bytes([len(name), 1]) + name.encode("utf-16-le")
    assert data.count(entry) == 1
    return data.find(entry) - 2
data[sheet_entry("名单")] = 1
data[sheet_entry("其他") + 1] = 2
open("sheet_states.xls", "wb").write(bytes(data))
# The hidden sheet's window record (0x023E) retyped as a second DIMENSIONS record
# (0x0200), whose bytes claim 4,194,304 rows: more than a sheet has, and more
# than FreeXL keeps within its memory.
data = bytearray(open("workbook.xls", "rb").read())
window = bytes.fromhex("3e021200b60000000000400000003c00640000000000")
assert data.count(window) == 2  # the hidden sheet's, then 其他's
data[data.find(window)] = 0
open("oversized_sheet.xls", "wb").write(bytes(data))
PY
"$python" - <<'PY'
import zipfile
data = bytearray(open("libreoffice.xlsx", "rb").read())
info = zipfile.ZipFile("libreoffice.xlsx").getinfo("xl/worksheets/sheet2.xml")
# Past the local header, in the middle of the packed rows.
start = info.header_offset + 30 + len(info.filename) + len(info.extra) + info.compress_size // 2
for i in range(start, start + 16):
    data[i] ^= 0x5A
open("corrupted.xlsx", "wb").write(bytes(data))
PY

# A password-protected workbook is a compound file naming EncryptionInfo and
# EncryptedPackage streams; their names are enough to be refused, so no payload.
"$python" - <<'PY'
import struct
header = bytearray(512)
header[0:8] = bytes.fromhex("D0CF11E0A1B11AE1")
struct.pack_into("<HHHHH", header, 24, 0x3E, 3, 0xFFFE, 9, 6)
directory = bytearray()
for name in ["Root Entry", "EncryptionInfo", "EncryptedPackage"]:
    entry = bytearray(128)
    encoded = (name + "\0").encode("utf-16-le")
    entry[0:len(encoded)] = encoded
    struct.pack_into("<H", entry, 64, len(encoded))
    directory += entry
open("encrypted.xlsx", "wb").write(bytes(header + directory + bytes(128)))
PY

# A merged area over two rows and two columns whose covered cells still hold text,
# as LibreOffice keeps it, and text with Excel's escapes: written by hand, then saved
# by LibreOffice in both formats.
"$python" - "$work/merged.xlsx" <<'PY'
import sys
import zipfile

def cell(ref, text):
    return f'<c r="{ref}" t="inlineStr"><is><t>{text}</t></is></c>'

main = "http://schemas.openxmlformats.org/"
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("[Content_Types].xml", f'<Types xmlns="{main}package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Default Extension="xml" ContentType="application/xml"/>'
               '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
               '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>')
    z.writestr("_rels/.rels", f'<Relationships xmlns="{main}package/2006/relationships"><Relationship Id="rId1" '
               f'Type="{main}officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
    z.writestr("xl/workbook.xml", f'<workbook xmlns="{main}spreadsheetml/2006/main" xmlns:r="{main}officeDocument/2006/relationships">'
               '<sheets><sheet name="合并" sheetId="1" r:id="rId1"/></sheets></workbook>')
    z.writestr("xl/_rels/workbook.xml.rels", f'<Relationships xmlns="{main}package/2006/relationships"><Relationship Id="rId1" '
               f'Type="{main}officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>')
    z.writestr("xl/worksheets/sheet1.xml", f'<worksheet xmlns="{main}spreadsheetml/2006/main"><sheetData>'
               f'<row r="1">{cell("A1", "名称")}{cell("B1", "内容")}</row>'
               f'<row r="2">{cell("A2", "横向")}{cell("B2", "左上")}{cell("C2", "右边被合并")}</row>'
               f'<row r="3">{cell("A3", "下面")}{cell("B3", "下面被合并")}{cell("C3", "右下被合并")}</row>'
               # Excel's escapes: a carriage return, and an underscore kept before text that reads like one.
               f'<row r="4">{cell("A4", "转义")}{cell("B4", "甲_x000D_乙 _x005F_x0041_")}</row>'
               '</sheetData><mergeCells count="1"><mergeCell ref="B2:C3"/></mergeCells></worksheet>')
PY
soffice --headless -env:UserInstallation=file://$work/profile --convert-to xlsx:"Calc MS Excel 2007 XML" \
  --outdir "$work/lo" "$work/merged.xlsx" >/dev/null
soffice --headless -env:UserInstallation=file://$work/profile --convert-to xls:"MS Excel 97" \
  --outdir "$work/lo" "$work/merged.xlsx" >/dev/null
mv "$work/lo/merged.xlsx" "$work/lo/merged.xls" .
