#include "batch_create/xls_reader.h"

#include "batch_create/cell_text.h"
#include "batch_create/xls_records.h"
#include "common/input_limits.h"

#include <QFile>

#include <freexl.h>

namespace {

QString cellText(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return cellNumberText(QString::number(cell.value.double_value, 'g', 17), CellFormat());
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(cell.value.text_value);
    case FREEXL_CELL_DATE:
        return QString::fromLatin1(cell.value.text_value).left(10);
    case FREEXL_CELL_DATETIME:
        return QString::fromLatin1(cell.value.text_value).left(16);
    case FREEXL_CELL_TIME:
        return QString::fromLatin1(cell.value.text_value).left(5);
    default:
        return QString();
    }
}

}

bool isEncryptedWorkbook(const QString &path)
{
    // The container's directory names its streams in UTF-16.
    const QByteArray name = QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray carried;
    for (;;) {
        const QByteArray chunk = file.read(1024 * 1024);
        if (chunk.isEmpty())
            return false;
        const QByteArray window = carried + chunk;
        if (window.contains(name))
            return true;
        carried = window.right(name.size());
    }
}

XlsReader::XlsReader(const QString &path, const QString &sheet)
    : WorkbookReader(path)
{
    const QString reason = open(sheet);
    if (!reason.isEmpty())
        fail(reason);
}

XlsReader::~XlsReader()
{
    if (handle)
        freexl_close(handle);
}

QString XlsReader::open(const QString &sheet)
{
    const QString password = QStringLiteral("工作簿设有密码，请在Excel中取消密码后另存再试");
    // The records are read first: FreeXL is given only a file that they find sound.
    records = std::make_unique<XlsRecords>(path);
    if (!records->problem().isEmpty())
        return isEncryptedWorkbook(path) ? password : records->problem();
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (opened != FREEXL_OK)
        return opened == FREEXL_FILE_NOT_FOUND ? QStringLiteral("无法打开文件") : QStringLiteral("文件已损坏或不是Excel工作簿");
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return password;
    unsigned int sheets = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        // FreeXL stops at a damaged record without a word, and then has no sheet.
        return records->isBiff8() && !records->sheets().isEmpty() ? QStringLiteral("文件已损坏或不完整")
                                                                : QStringLiteral("没有可读的工作表");
    }
    QStringList freexlNames;
    for (unsigned short i = 0; i < sheets; ++i) {
        const char *name = nullptr;
        freexlNames << (freexl_get_worksheet_name(handle, i, &name) == FREEXL_OK && name ? QString::fromUtf8(name) : QString());
    }
    int index = 0;
    if (!records->isBiff8()) {
        // An older workbook: FreeXL's sheets, the first one unless another is named.
        records.reset();
        names = freexlNames;
        index = sheet.isEmpty() ? 0 : names.indexOf(sheet);
        if (index < 0)
            return unknownSheetReason(sheet, names);
        chosenName = names.at(index);
    } else {
        const QVector<XlsRecords::Sheet> &all = records->sheets();
        for (const XlsRecords::Sheet &each : all)
            names << each.name;
        int chosen = 0;
        while (chosen < all.size() && (sheet.isEmpty() ? !all.at(chosen).visible || !all.at(chosen).worksheet
                                                        : all.at(chosen).name != sheet))
            ++chosen;
        if (chosen == all.size())
            return sheet.isEmpty() ? QStringLiteral("没有可见的工作表") : unknownSheetReason(sheet, names);
        chosenName = all.at(chosen).name;
        if (!all.at(chosen).worksheet)
            return QStringLiteral("工作表“%1”不是数据表").arg(all.at(chosen).name);
        // FreeXL's sheet of the same name, which is a sheet's own.
        index = freexlNames.indexOf(all.at(chosen).name);
        if (index < 0)
            return QStringLiteral("文件已损坏或不完整");
        const QString reason = records->readCells(chosen);
        if (!reason.isEmpty())
            return reason;
    }
    const unsigned short chosen = static_cast<unsigned short>(index);
    if (freexl_select_active_worksheet(handle, chosen) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rowCount, &columnCount) != FREEXL_OK)
        return QStringLiteral("文件已损坏或不完整");
    return QString();
}

bool XlsReader::readRow(QStringList &row)
{
    if (state != Reading)
        return false;
    if (nextRow >= rowCount) {
        state = Finished;
        return false;
    }
    row.clear();
    qint64 chars = 0;
    lastRowCut = false;
    for (unsigned short column = 0; column < columnCount; ++column) {
        const QString *read = records ? records->cellText(int(nextRow), column) : nullptr;
        FreeXL_CellValue cell;
        if (!read && freexl_get_cell_value(handle, nextRow, column, &cell) != FREEXL_OK) {
            fail(QStringLiteral("文件已损坏或不完整"));
            return false;
        }
        const QString text = read ? *read : cellText(cell);
        chars += text.size() + 1;
        if (chars > maxCsvRowChars) {
            lastRowCut = true;
            break;
        }
        row.append(text);
    }
    ++nextRow;
    while (row.size() > 1 && row.last().isEmpty())
        row.removeLast();
    if (row.isEmpty())
        row.append(QString());
    return true;
}
