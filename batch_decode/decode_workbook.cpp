#include "batch_decode/decode_workbook.h"

#include "common/guarded_file.h"

#include <QFile>
#include <QIODevice>
#include <QRegularExpression>
#include <QSet>

#include <xlsxwriter.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Spreadsheets count a sheet name in UTF-16 units, as QString does.
constexpr int maxSheetNameLength = 31;
// Widest a column gets, in characters: a long content wraps the view no further.
constexpr int maxColumnWidth = 80;

const QString forbiddenSheetChars = QStringLiteral("[]:*?/\\");

// The first length units of text, never half of a surrogate pair.
QString leftWhole(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    return text.left(length > 0 && text.at(length - 1).isHighSurrogate() ? length - 1 : length);
}

// The width a text takes in a spreadsheet column: wide (East Asian) characters count twice.
int displayWidth(const QString &text)
{
    int width = 0;
    for (const uint c : text.toUcs4())
        width += c >= 0x1100 && (c <= 0x115F || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
                                 || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
                                 || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x1F300)
            ? 2 : 1;
    return width;
}

}

QStringList DecodeWorkbook::sheetNames(const QStringList &folderNames)
{
    // "History" is kept by Excel for itself.
    QSet<QString> taken{QStringLiteral("history")};
    QStringList names;
    for (const QString &folderName : folderNames) {
        QString name;
        for (const QChar c : folderName)
            name += forbiddenSheetChars.contains(c) || c.category() == QChar::Other_Control ? QLatin1Char('_') : c;
        while (name.startsWith(QLatin1Char('\'')))
            name.remove(0, 1);
        name = leftWhole(name, maxSheetNameLength);
        while (name.endsWith(QLatin1Char('\'')))
            name.chop(1);
        if (name.isEmpty())
            name = QStringLiteral("Sheet");
        QString unique = name;
        for (int n = 2; taken.contains(unique.toCaseFolded()); ++n) {
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            unique = leftWhole(name, maxSheetNameLength - suffix.size()) + suffix;
        }
        taken.insert(unique.toCaseFolded());
        names << unique;
    }
    return names;
}

DecodeWorkbook::~DecodeWorkbook()
{
    lxw_workbook_free(workbook);
    if (fd >= 0)
        ::close(fd);
}

bool DecodeWorkbook::open(const QString &path)
{
    this->path = path;
    GuardedPlace place;
    if (!findFolderPlace(path, &place))
        return false;
    // Nameless, so that a killed run leaves nothing; the library reaches it through /proc.
    fd = ::openat(place.folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    workbook = workbook_new_opt(("/proc/self/fd/" + QByteArray::number(fd)).constData(), &options);
    if (!workbook)
        return false;
    textFormat = workbook_add_format(workbook);
    format_set_num_format(textFormat, "@");
    return true;
}

bool DecodeWorkbook::addSheet(const QString &name)
{
    fitColumns();
    sheet = workbook_add_worksheet(workbook, name.toUtf8().constData());
    row = 0;
    widths[0] = widths[1] = 0;
    return sheet && writeCell(0, QStringLiteral("文件名")) && writeCell(1, QStringLiteral("二维码内容")) && (++row, true);
}

bool DecodeWorkbook::addRow(const QString &fileName, const QString &content)
{
    if (!writeCell(0, fileName) || !writeCell(1, content))
        return false;
    ++row;
    return true;
}

bool DecodeWorkbook::writeCell(int column, const QString &text)
{
    widths[column] = qMax(widths[column], displayWidth(text));
    // The writer stores control characters as "_x0001_", which Excel reads back as the
    // character; text that already reads so must keep its underscore ("_x005F_").
    static const QRegularExpression escapeLike(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    QString stored = text;
    stored.replace(escapeLike, QStringLiteral("_x005F_\\1"));
    return worksheet_write_string(sheet, row, lxw_col_t(column), stored.toUtf8().constData(), textFormat) == LXW_NO_ERROR;
}

void DecodeWorkbook::fitColumns()
{
    if (!sheet)
        return;
    for (int column = 0; column < 2; ++column)
        worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), qMin(widths[column] + 2, maxColumnWidth), textFormat);
}

bool DecodeWorkbook::save()
{
    fitColumns();
    const lxw_error closed = workbook_close(workbook);
    workbook = nullptr;
    if (closed != LXW_NO_ERROR)
        return false;
    return writeGuardedFile(path, [this](QIODevice *out) {
        char buffer[1 << 16];
        for (off_t at = 0;;) {
            const ssize_t size = ::pread(fd, buffer, sizeof buffer, at);
            if (size < 0)
                return false;
            if (size == 0)
                return true;
            if (out->write(buffer, size) != size)
                return false;
            at += size;
        }
    });
}

QString DecodeWorkbook::writeFailureText(const QString &path)
{
    return QStringLiteral("Excel工作簿写入失败，请检查保存文件夹的权限和剩余空间：\n%1").arg(path);
}
