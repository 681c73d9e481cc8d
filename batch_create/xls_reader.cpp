#include "batch_create/xls_reader.h"

#include "batch_create/cell_text.h"
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
    : path(path)
{
    const QString reason = open(sheet);
    if (!reason.isEmpty()) {
        state = Unreadable;
        why = workbookProblem(path, reason);
    }
}

XlsReader::~XlsReader()
{
    if (handle)
        freexl_close(handle);
}

QString XlsReader::open(const QString &sheet)
{
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (opened != FREEXL_OK) {
        if (isEncryptedWorkbook(path))
            return QStringLiteral("工作簿设有密码，请在Excel中取消密码后另存再试");
        return opened == FREEXL_FILE_NOT_FOUND ? QStringLiteral("无法打开文件") : QStringLiteral("文件已损坏或不是Excel工作簿");
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return QStringLiteral("工作簿设有密码，请在Excel中取消密码后另存再试");
    unsigned int sheets = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        return QStringLiteral("没有可读的工作表");
    for (unsigned short i = 0; i < sheets; ++i) {
        const char *name = nullptr;
        names << (freexl_get_worksheet_name(handle, i, &name) == FREEXL_OK && name ? QString::fromUtf8(name) : QString());
    }
    const int index = names.indexOf(sheet);
    if (!sheet.isEmpty() && index < 0)
        return unknownSheetReason(sheet, names);
    const unsigned short chosen = sheet.isEmpty() ? 0 : static_cast<unsigned short>(index);
    readName = names.at(chosen);
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
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(handle, nextRow, column, &cell) != FREEXL_OK) {
            state = Unreadable;
            why = workbookProblem(path, QStringLiteral("文件已损坏或不完整"));
            return false;
        }
        const QString text = cellText(cell);
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

QString XlsReader::emptyProblem() const
{
    return emptyWorkbookProblem(path);
}
