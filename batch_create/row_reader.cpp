#include "batch_create/row_reader.h"

#include "batch_create/csv_reader.h"
#include "batch_create/xls_reader.h"
#include "batch_create/xlsx_reader.h"

#include "common/report_text.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A reader that refuses its file from the start.
class RefusedReader : public RowReader
{
public:
    explicit RefusedReader(const QString &why) : why(why) {}
    bool readRow(QStringList &) override { return false; }
    bool rowCut() const override { return false; }
    Status status() const override { return Unreadable; }
    void rewind() override {}
    QString problem() const override { return why; }
    QString emptyProblem() const override { return why; }

private:
    QString why;
};

}

QString workbookProblem(const QString &path, const QString &reason)
{
    // As for a CSV file: the path on a line of its own.
    return reportWithUserText(QStringLiteral("无法读取Excel工作簿（") + reason.toHtmlEscaped() + QStringLiteral("）：<br>%1"), path);
}

QString emptyWorkbookProblem(const QString &path)
{
    return workbookProblem(path, QStringLiteral("工作表是空的"));
}

QString unknownSheetReason(const QString &sheet, const QStringList &names)
{
    return QStringLiteral("没有名为“%1”的工作表；工作簿中的工作表：%2").arg(sheet, names.join(QStringLiteral("、")));
}

bool isWorkbookName(const QString &path)
{
    static const QStringList suffixes{QStringLiteral("xlsx"), QStringLiteral("xlsm"), QStringLiteral("xltx"),
                                      QStringLiteral("xltm"), QStringLiteral("xls"), QStringLiteral("xlt"),
                                      QStringLiteral("et")};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

std::unique_ptr<RowReader> openRowReader(const QString &path, const QString &sheet)
{
    // Only workbooks are told by their first bytes: a CSV may be a pipe that cannot be read twice.
    if (!isWorkbookName(path))
        return std::make_unique<CsvReader>(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::make_unique<RefusedReader>(workbookProblem(path, QStringLiteral("无法打开文件")));
    const QByteArray start = file.read(8);
    file.close();
    if (start.startsWith("PK\x03\x04") || start.startsWith("PK\x05\x06"))
        return std::make_unique<XlsxReader>(path, sheet);
    if (start == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return std::make_unique<XlsReader>(path, sheet);
    return std::make_unique<RefusedReader>(
        workbookProblem(path, QStringLiteral("文件内容不是Excel工作簿，可能是改了扩展名的其他文件，请在Excel中另存为工作簿")));
}
