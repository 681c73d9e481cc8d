// The container's headers come before Qt's, whose keywords would clash with GLib's names.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>

#include "batch_create/xls_records.h"

#include "common/input_limits.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

const QString damagedText = QStringLiteral("文件已损坏或不完整");
const QString tooLargeText = QStringLiteral("工作簿的内容超出读取上限");
const QString notWorkbookText = QStringLiteral("文件已损坏或不是Excel工作簿");
const QString passwordText = QStringLiteral("工作簿设有密码，请在Excel中取消密码后另存再试");

enum RecordType : quint16 {
    Bof = 0x0809,
    Eof = 0x000A,
    BoundSheet = 0x0085,
    DateMode = 0x0022,
    FilePass = 0x002F,
    Format = 0x041E,
    ExtendedFormat = 0x00E0,
    Formula = 0x0006,
    StringResult = 0x0207,
    SharedFormula = 0x04BC,
    ArrayFormula = 0x0221,
    DataTable = 0x0236,
    Dimensions = 0x0200,
    Continue = 0x003C,
    Number = 0x0203,
    Rk = 0x027E,
    MulRk = 0x00BD,
    BoolErr = 0x0205,
    MergedCells = 0x00E5,
};
constexpr quint16 biff8Version = 0x0600;
// Rows and columns a sheet has at most: 65,536 rows since Excel 97, 16,384 before; 256 columns.
constexpr quint32 biff8Rows = 65536;
constexpr quint32 biff5Rows = 16384;
constexpr quint16 sheetColumns = 256;
// A formula's cached result that is no number says so in its last two bytes.
constexpr quint16 resultNotNumber = 0xFFFF;

quint16 u16(const QByteArray &data, int at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 u32(const QByteArray &data, int at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

double f64(const QByteArray &data, int at)
{
    const quint64 bits = qFromLittleEndian<quint64>(data.constData() + at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A number packed in 30 bits: an integer or the top of a double, either perhaps a hundredth.
double rkValue(quint32 rk)
{
    double value;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return rk & 0x01 ? value / 100 : value;
}

// count characters from data at `at`, one byte each (Latin-1) or two (UTF-16);
// false where the data ends before them.
bool appendChars(const QByteArray &data, int at, int count, bool wide, QString &text)
{
    if (count < 0 || at < 0 || qint64(at) + qint64(count) * (wide ? 2 : 1) > data.size())
        return false;
    if (!wide) {
        text += QString::fromLatin1(data.constData() + at, count);
        return true;
    }
    const int from = text.size();
    text.resize(from + count);
    for (int i = 0; i < count; ++i)
        text[from + i] = QChar(u16(data, at + 2 * i));
    return true;
}

// A string as the records store it: its length in lenBytes (1 or 2), a flags byte, its characters.
bool unicodeString(const QByteArray &data, int at, int lenBytes, QString &text)
{
    if (data.size() < at + lenBytes + 1)
        return false;
    const int count = lenBytes == 1 ? quint8(data.at(at)) : u16(data, at);
    const bool wide = data.at(at + lenBytes) & 0x01;
    text.clear();
    return appendChars(data, at + lenBytes + 1, count, wide, text);
}

// What Excel shows for an error value.
QString errorText(quint8 code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    case 0x2B: return QStringLiteral("#GETTING_DATA");
    default: return QString();
    }
}

QString boolText(quint8 value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

// A damaged container is reported in the reader's own words; the library's
// complaints about it on standard error would tell the user nothing more.
void silenceContainerLog()
{
    static const bool silenced = [] {
        const auto levels = GLogLevelFlags(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        const GLogFunc discard = [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {};
        for (const char *domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, levels, discard, nullptr);
        // Its complaint about a stream it cannot open comes without a domain, as others' may.
        const GLogFunc childWarning = [](const gchar *domain, GLogLevelFlags level, const gchar *message, gpointer) {
            if (!g_str_has_prefix(message, "Unable to get child"))
                g_log_default_handler(domain, level, message, nullptr);
        };
        g_log_set_handler(nullptr, G_LOG_LEVEL_WARNING, childWarning, nullptr);
        return true;
    }();
    Q_UNUSED(silenced)
}

}

XlsRecords::XlsRecords(const QString &path)
{
    silenceContainerLog();
    GsfInput *file = gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr);
    if (!file) {
        why = QStringLiteral("无法打开文件");
        return;
    }
    container = gsf_infile_msole_new(file, nullptr);
    g_object_unref(file);
    if (!container) {
        why = notWorkbookText;
        return;
    }
    stream = gsf_infile_child_by_name(container, "Workbook");
    // Excel 5 and 95 named it so.
    if (!stream)
        stream = gsf_infile_child_by_name(container, "Book");
    if (!stream) {
        why = notWorkbookText;
        return;
    }
    why = readGlobals();
    if (why.isEmpty())
        why = checkSheetSizes();
}

XlsRecords::~XlsRecords()
{
    if (stream)
        g_object_unref(stream);
    if (container)
        g_object_unref(container);
}

// The next record: false at the end of the stream, or where it is cut (why tells).
bool XlsRecords::nextRecord(quint16 &type, QByteArray &data)
{
    if (gsf_input_eof(stream))
        return false;
    guint8 header[4];
    if (!gsf_input_read(stream, sizeof header, header)) {
        why = damagedText;
        return false;
    }
    type = qFromLittleEndian<quint16>(header);
    const quint16 length = qFromLittleEndian<quint16>(header + 2);
    data.resize(length);
    if (length > 0 && !gsf_input_read(stream, length, reinterpret_cast<guint8 *>(data.data()))) {
        why = damagedText;
        return false;
    }
    return true;
}

QString XlsRecords::readGlobals()
{
    quint16 type = 0;
    QByteArray data;
    if (!nextRecord(type, data) || type != Bof || data.size() < 4)
        return damagedText;
    biff8 = u16(data, 0) == biff8Version;
    static const QRegularExpression dateLetter(QStringLiteral("[dmyhsDMYHS]"));
    QHash<int, CellFormat> formats;
    QHash<int, bool> dateLetters;
    QVector<int> styleFormats;
    while (nextRecord(type, data)) {
        if (type == Eof)
            break;
        if (sheetList.size() >= maxWorkbookEntries || styleFormats.size() >= maxWorkbookEntries
            || formats.size() >= maxWorkbookEntries)
            return tooLargeText;
        if (type == FilePass)
            return passwordText;
        // Of an older workbook only the sizes of its sheets are checked.
        if (!biff8)
            continue;
        QString text;
        switch (type) {
        case DateMode:
            if (data.size() < 2)
                return damagedText;
            date1904 = u16(data, 0) != 0;
            break;
        case BoundSheet: {
            if (data.size() < 6 || !unicodeString(data, 6, 1, text))
                return damagedText;
            Sheet sheet;
            sheet.offset = u32(data, 0);
            sheet.visible = (data.at(4) & 0x03) == 0;
            sheet.worksheet = data.at(5) == 0;
            sheet.name = text;
            sheetList.append(sheet);
            break;
        }
        case Format:
            if (!unicodeString(data, 2, 2, text))
                return damagedText;
            formats.insert(u16(data, 0), cellFormatOfCode(text));
            // Whether FreeXL takes a number for a date is its own guess from the letters
            // of the format: numbers of a format with such letters anywhere are read here.
            dateLetters.insert(u16(data, 0), text.contains(dateLetter));
            break;
        case ExtendedFormat:
            if (data.size() < 4)
                return damagedText;
            styleFormats.append(u16(data, 2));
            break;
        default:
            break;
        }
    }
    if (!why.isEmpty())
        return why;
    if (type != Eof)
        return damagedText;
    styles.reserve(styleFormats.size());
    for (const int id : qAsConst(styleFormats)) {
        Style style;
        style.format = formats.contains(id) ? formats.value(id) : builtInCellFormat(id);
        style.readHere = style.format.kind != CellFormat::Number || style.format.digits > 0 || dateLetters.value(id);
        styles.append(style);
    }
    return QString();
}

// FreeXL takes a sheet's size from its DIMENSIONS records and can overrun its memory
// where one claims more than the format allows: such a workbook is damaged.
QString XlsRecords::checkSheetSizes()
{
    quint16 type = 0;
    QByteArray data;
    while (nextRecord(type, data)) {
        if (type != Dimensions)
            continue;
        // Rows count in 32 bits since BIFF8, in 16 before; the last row and column are one past.
        const int rowBytes = biff8 ? 4 : 2;
        if (data.size() < 2 * rowBytes + 4)
            return damagedText;
        const quint32 firstRow = biff8 ? u32(data, 0) : u16(data, 0);
        const quint32 endRow = biff8 ? u32(data, 4) : u16(data, 2);
        const quint16 firstColumn = u16(data, 2 * rowBytes), endColumn = u16(data, 2 * rowBytes + 2);
        if (firstRow > endRow || endRow > (biff8 ? biff8Rows : biff5Rows) || firstColumn > endColumn
            || endColumn > sheetColumns)
            return damagedText;
    }
    // Bytes after the last whole record, padding perhaps, are FreeXL's to judge.
    why.clear();
    return QString();
}

QString XlsRecords::readCells(int index)
{
    cells.clear();
    cellChars = 0;
    merged.clear();
    mergedCells = 0;
    if (index < 0 || index >= sheetList.size() || gsf_input_seek(stream, sheetList.at(index).offset, G_SEEK_SET))
        return damagedText;
    quint16 type = 0;
    QByteArray data;
    if (!nextRecord(type, data) || type != Bof)
        return damagedText;
    // Charts drawn on the sheet are substreams of their own within it.
    int depth = 1;
    quint32 pending = 0;
    bool hasPending = false;
    while (depth > 0 && nextRecord(type, data)) {
        if (type == Bof) {
            ++depth;
            continue;
        }
        if (type == Eof) {
            --depth;
            continue;
        }
        if (depth > 1)
            continue;
        // A string result whose record does not come next is left empty.
        if (type != StringResult && type != SharedFormula && type != ArrayFormula && type != DataTable)
            hasPending = false;
        QString reason;
        switch (type) {
        case Formula: {
            if (data.size() < 14)
                return damagedText;
            const quint16 row = u16(data, 0), column = u16(data, 2);
            if (u16(data, 12) != resultNotNumber) {
                reason = keepNumber(row, column, u16(data, 4), f64(data, 6), true);
                break;
            }
            switch (quint8(data.at(6))) {
            case 0:
                // The string follows in a record of its own.
                pending = quint32(row) << 16 | column;
                hasPending = true;
                break;
            case 1:
                reason = keep(row, column, boolText(quint8(data.at(8))));
                break;
            case 2:
                reason = keep(row, column, errorText(quint8(data.at(8))));
                break;
            default:
                break; // an empty result, as FreeXL gives it
            }
            break;
        }
        case StringResult: {
            QString text;
            reason = readStringResult(data, text);
            if (reason.isEmpty() && hasPending)
                reason = keep(quint16(pending >> 16), quint16(pending), text);
            hasPending = false;
            break;
        }
        case BoolErr:
            if (data.size() < 8)
                return damagedText;
            reason = keep(u16(data, 0), u16(data, 2), data.at(7) ? errorText(quint8(data.at(6))) : boolText(quint8(data.at(6))));
            break;
        case Number:
            if (data.size() < 14)
                return damagedText;
            reason = keepNumber(u16(data, 0), u16(data, 2), u16(data, 4), f64(data, 6));
            break;
        case Rk:
            if (data.size() < 10)
                return damagedText;
            reason = keepNumber(u16(data, 0), u16(data, 2), u16(data, 4), rkValue(u32(data, 6)));
            break;
        case MulRk: {
            // Row, first column, six bytes a cell, last column.
            if (data.size() < 6 || (data.size() - 6) % 6 != 0)
                return damagedText;
            const quint16 row = u16(data, 0), first = u16(data, 2);
            const int count = (data.size() - 6) / 6;
            if (u16(data, data.size() - 2) != first + count - 1)
                return damagedText;
            for (int i = 0; i < count && reason.isEmpty(); ++i)
                reason = keepNumber(row, quint16(first + i), u16(data, 4 + 6 * i), rkValue(u32(data, 6 + 6 * i)));
            break;
        }
        case MergedCells:
            reason = readMerges(data);
            break;
        default:
            break;
        }
        if (!reason.isEmpty())
            return reason;
    }
    if (!why.isEmpty())
        return why;
    for (QVector<MergedRows> &column : merged)
        std::sort(column.begin(), column.end(), [](const MergedRows &a, const MergedRows &b) { return a.first < b.first; });
    return depth > 0 ? damagedText : QString();
}

// A count, then for each area its first and last row and first and last column.
QString XlsRecords::readMerges(const QByteArray &data)
{
    if (data.size() < 2 || data.size() != 2 + 8 * u16(data, 0))
        return damagedText;
    for (int at = 2; at < data.size(); at += 8) {
        const int first = u16(data, at), last = u16(data, at + 2), left = u16(data, at + 4), right = u16(data, at + 6);
        if (last < first || right < left || right > 255)
            return damagedText;
        mergedCells += right - left + 1;
        if (mergedCells > maxWorkbookEntries)
            return tooLargeText;
        if (merged.size() <= right)
            merged.resize(right + 1);
        for (int column = left; column <= right; ++column)
            merged[column].append({first, last, left});
    }
    return QString();
}

// A formula's string result, whose characters may run on into CONTINUE records,
// each of them starting with its own flags byte.
QString XlsRecords::readStringResult(const QByteArray &first, QString &text)
{
    if (first.size() < 3)
        return damagedText;
    const int count = u16(first, 0);
    if (count > maxSharedTextChars)
        return tooLargeText;
    bool wide = first.at(2) & 0x01;
    QByteArray data = first;
    int at = 3;
    for (;;) {
        const int available = (data.size() - at) / (wide ? 2 : 1);
        const int taken = qMin(available, count - text.size());
        if (!appendChars(data, at, taken, wide, text))
            return damagedText;
        if (text.size() == count)
            return QString();
        quint16 type = 0;
        if (!nextRecord(type, data) || type != Continue || data.isEmpty())
            return damagedText;
        wide = data.at(0) & 0x01;
        at = 1;
    }
}

QString XlsRecords::keep(quint16 row, quint16 column, const QString &text)
{
    if (cells.size() >= maxWorkbookEntries)
        return tooLargeText;
    // Each text counts as some characters more, for what holding it costs.
    cellChars += text.size() + 16;
    if (cellChars > maxSharedTextChars)
        return tooLargeText;
    cells.insert(quint32(row) << 16 | column, text);
    return QString();
}

QString XlsRecords::keepNumber(quint16 row, quint16 column, quint16 xf, double value, bool formula)
{
    const Style style = styles.value(xf);
    return style.readHere || formula ? keep(row, column, cellNumberText(QString::number(value, 'g', 17), style.format, date1904))
                          : QString();
}

const QString *XlsRecords::cellText(int row, int column) const
{
    static const QString covered;
    if (column < merged.size()) {
        // Areas do not overlap: only the last one starting at or above the row can hold the cell.
        const QVector<MergedRows> &areas = merged.at(column);
        auto area = std::upper_bound(areas.cbegin(), areas.cend(), row, [](int r, const MergedRows &m) { return r < m.first; });
        if (area != areas.cbegin() && (--area)->last >= row && (row != area->first || column != area->left))
            return &covered;
    }
    const auto found = cells.constFind(quint32(row) << 16 | quint32(column));
    return found == cells.cend() ? nullptr : &found.value();
}
