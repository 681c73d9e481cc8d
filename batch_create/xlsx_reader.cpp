#include "batch_create/xlsx_reader.h"

#include "common/input_limits.h"
#include "common/report_text.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>

// One XML part of the archive, parsed as it is unpacked.
class ZipPart
{
public:
    ZipPart(zip_t *archive, const QString &name)
    {
        // Part names are compared without case in a package.
        const zip_int64_t index = zip_name_locate(archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
        file = index < 0 ? nullptr : zip_fopen_index(archive, zip_uint64_t(index), 0);
    }
    ~ZipPart()
    {
        if (file)
            zip_fclose(file);
    }
    bool exists() const { return file != nullptr; }
    // The next token; false at the end of the part and where it is damaged (damaged tells).
    bool next()
    {
        for (;;) {
            xml.readNext();
            if (xml.tokenType() == QXmlStreamReader::EndDocument)
                return false;
            if (!xml.hasError())
                return true;
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || inputDone || !file) {
                damaged = true;
                return false;
            }
            buffer.resize(64 * 1024);
            const zip_int64_t count = zip_fread(file, buffer.data(), zip_uint64_t(buffer.size()));
            if (count < 0) {
                damaged = true;
                return false;
            }
            inputDone = count == 0;
            buffer.resize(int(count));
            xml.addData(buffer);
        }
    }
    bool startOf(const char *name) const { return xml.isStartElement() && xml.name() == QLatin1String(name); }
    bool endOf(const char *name) const { return xml.isEndElement() && xml.name() == QLatin1String(name); }
    QString attribute(const char *name) const { return xml.attributes().value(QLatin1String(name)).toString(); }
    // The relationship id of an element, whatever prefix its namespace has.
    QString relationshipId() const
    {
        for (const QXmlStreamAttribute &a : xml.attributes())
            if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                return a.value().toString();
        return QString();
    }

    QXmlStreamReader xml;
    bool damaged = false;

private:
    zip_file_t *file = nullptr;
    QByteArray buffer;
    bool inputDone = false;
};

namespace {

const QString damagedText = QStringLiteral("文件已损坏或不完整");
const QString notWorkbookText = QStringLiteral("文件不是Excel工作簿");
const QString tooLargeText = QStringLiteral("工作簿的内容超出读取上限");
// The largest row and column numbers a sheet may have.
constexpr int lastSheetRow = 1048576;
constexpr int lastSheetColumn = 16384;

// A cell reference ("B12") as its column and row, both from 1; 0 for what is missing.
QPoint cellPoint(const QString &ref)
{
    int column = 0;
    int i = 0;
    for (; i < ref.size() && ref.at(i).isLetter() && column <= lastSheetColumn; ++i)
        column = column * 26 + (ref.at(i).toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int row = ref.midRef(i).toInt(&ok);
    return QPoint(column, ok ? row : 0);
}

// The part a relationship's target names, from the folder of the part that holds it.
QString targetPart(const QString &folder, const QString &target)
{
    const QString path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : folder + target;
    return QDir::cleanPath(path);
}

// Text as Excel shows it: characters that XML cannot hold are stored as "_x000D_",
// and an underscore that would read so as "_x005F_".
QString unescaped(QString text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString shown;
    int from = 0;
    for (QRegularExpressionMatchIterator i = escape.globalMatch(text); i.hasNext();) {
        const QRegularExpressionMatch match = i.next();
        shown += text.midRef(from, match.capturedStart() - from);
        shown += QChar(match.capturedRef(1).toUShort(nullptr, 16));
        from = match.capturedEnd();
    }
    return shown + text.midRef(from);
}

QString folderOf(const QString &part)
{
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relationshipsOf(const QString &part)
{
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(part.lastIndexOf(QLatin1Char('/')) + 1)
           + QStringLiteral(".rels");
}

}

XlsxReader::XlsxReader(const QString &path, const QString &sheet)
    : WorkbookReader(path)
{
    const QString reason = open(sheet);
    if (!reason.isEmpty())
        fail(reason);
    else
        rewind();
}

XlsxReader::~XlsxReader()
{
    sheetXml.reset();
    if (archive)
        zip_discard(archive);
}

void XlsxReader::fail(const QString &reason)
{
    sheetXml.reset();
    WorkbookReader::fail(reason);
}

QString XlsxReader::open(const QString &sheet)
{
    int error = 0;
    archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return error == ZIP_ER_OPEN || error == ZIP_ER_READ ? QStringLiteral("无法打开文件") : damagedText;
    QHash<QString, QString> targets, byType;
    QString reason = readRelationships(QStringLiteral("_rels/.rels"), targets, byType);
    if (!reason.isEmpty())
        return reason;
    const QString workbookPart = byType.value(QStringLiteral("officeDocument"));
    targets.clear();
    byType.clear();
    if (workbookPart.isEmpty() || !(reason = readRelationships(relationshipsOf(workbookPart), targets, byType)).isEmpty())
        return notWorkbookText;

    // The sheets in their order: name, whether hidden, part.
    struct Sheet
    {
        QString name;
        bool hidden;
        QString part;
    };
    QVector<Sheet> sheets;
    ZipPart workbook(archive, workbookPart);
    if (!workbook.exists())
        return notWorkbookText;
    while (workbook.next()) {
        if (workbook.startOf("workbookPr")) {
            const QString value = workbook.attribute("date1904");
            date1904 = value == QLatin1String("1") || value == QLatin1String("true");
        } else if (workbook.startOf("sheet")) {
            if (sheets.size() >= maxWorkbookEntries)
                return tooLargeText;
            names << workbook.attribute("name");
            sheets.append({workbook.attribute("name"), !workbook.attribute("state").isEmpty()
                                                            && workbook.attribute("state") != QLatin1String("visible"),
                           targets.value(workbook.relationshipId())});
        }
    }
    if (workbook.damaged)
        return damagedText;
    // Chart sheets have no part here: the first visible sheet of cells is read.
    const auto chosen = std::find_if(sheets.cbegin(), sheets.cend(), [&sheet](const Sheet &s) {
        return sheet.isEmpty() ? !s.hidden && !s.part.isEmpty() : s.name == sheet;
    });
    if (chosen == sheets.cend() && sheet.isEmpty())
        return QStringLiteral("没有可见的工作表");
    if (chosen == sheets.cend())
        return unknownSheetReason(sheet, names);
    chosenName = chosen->name;
    sheetPart = chosen->part;
    if (sheetPart.isEmpty())
        return QStringLiteral("工作表“%1”不是数据表").arg(chosen->name);
    if (!(reason = readSharedStrings(byType.value(QStringLiteral("sharedStrings")))).isEmpty()
        || !(reason = readStyles(byType.value(QStringLiteral("styles")))).isEmpty())
        return reason;
    return readMerges();
}

QString XlsxReader::readRelationships(const QString &partName, QHash<QString, QString> &targets,
                                      QHash<QString, QString> &byType)
{
    ZipPart part(archive, partName);
    if (!part.exists())
        return notWorkbookText;
    // Targets are named from the folder that holds the _rels folder.
    QString folder = folderOf(partName);
    folder.chop(int(qstrlen("_rels/")));
    while (part.next()) {
        if (!part.startOf("Relationship"))
            continue;
        if (targets.size() >= maxWorkbookEntries)
            return tooLargeText;
        const QString target = targetPart(folder, part.attribute("Target"));
        const QString type = part.attribute("Type").section(QLatin1Char('/'), -1);
        // Chart sheets and dialog sheets hold no cells to read.
        if (type == QLatin1String("worksheet") || !type.endsWith(QLatin1String("sheet")))
            targets.insert(part.attribute("Id"), target);
        byType.insert(type, target);
    }
    return part.damaged ? damagedText : QString();
}

QString XlsxReader::readSharedStrings(const QString &partName)
{
    if (partName.isEmpty())
        return QString();
    ZipPart part(archive, partName);
    qint64 chars = 0;
    QString text;
    bool inText = false;
    int phonetic = 0;
    while (part.next()) {
        if (part.startOf("si")) {
            text.clear();
        } else if (part.endOf("si")) {
            // Each string counts as some characters more, for what holding it costs.
            chars += text.size() + 16;
            if (chars > maxSharedTextChars)
                return tooLargeText;
            sharedText += unescaped(text).toUtf8();
            sharedEnds.append(sharedText.size());
        } else if (part.startOf("t")) {
            inText = true;
        } else if (part.endOf("t")) {
            inText = false;
        } else if (part.startOf("rPh")) {
            ++phonetic;
        } else if (part.endOf("rPh")) {
            --phonetic;
        } else if (inText && phonetic == 0 && part.xml.isCharacters()) {
            text += part.xml.text();
            if (text.size() > maxSharedTextChars)
                return tooLargeText;
        }
    }
    return part.damaged ? damagedText : QString();
}

QString XlsxReader::readStyles(const QString &partName)
{
    if (partName.isEmpty())
        return QString();
    ZipPart part(archive, partName);
    QHash<int, CellFormat> custom;
    bool inCellFormats = false;
    while (part.next()) {
        if (part.startOf("numFmt")) {
            if (custom.size() >= maxWorkbookEntries)
                return tooLargeText;
            custom.insert(part.attribute("numFmtId").toInt(), cellFormatOfCode(part.attribute("formatCode")));
        } else if (part.startOf("cellXfs")) {
            inCellFormats = true;
        } else if (part.endOf("cellXfs")) {
            inCellFormats = false;
        } else if (inCellFormats && part.startOf("xf")) {
            if (styles.size() >= maxWorkbookEntries)
                return tooLargeText;
            const int id = part.attribute("numFmtId").toInt();
            styles.append(custom.contains(id) ? custom.value(id) : builtInCellFormat(id));
        }
    }
    return part.damaged ? damagedText : QString();
}

// The merged areas come after the rows in a sheet: a first reading finds them,
// and checks the sheet whole before any row is given.
QString XlsxReader::readMerges()
{
    ZipPart part(archive, sheetPart);
    if (!part.exists())
        return damagedText;
    while (part.next()) {
        if (!part.startOf("mergeCell"))
            continue;
        if (merges.size() >= maxWorkbookEntries)
            return tooLargeText;
        const QString ref = part.attribute("ref");
        const QPoint from = cellPoint(ref.section(QLatin1Char(':'), 0, 0));
        const QPoint to = cellPoint(ref.section(QLatin1Char(':'), 1, 1));
        if (from.x() > 0 && from.y() > 0 && to.x() >= from.x() && to.y() >= from.y())
            merges.append(QRect(from, to));
    }
    std::sort(merges.begin(), merges.end(), [](const QRect &a, const QRect &b) { return a.top() < b.top(); });
    return part.damaged ? damagedText : QString();
}

void XlsxReader::rewind()
{
    if (!archive || !why.isEmpty())
        return;
    sheetXml.reset(new ZipPart(archive, sheetPart));
    parse = SheetState();
    rows.clear();
    sheetDone = false;
    state = Reading;
}

bool XlsxReader::readRow(QStringList &row)
{
    while (rows.isEmpty() && state == Reading && !sheetDone) {
        if (!parseUntilRow() && state == Reading)
            sheetDone = true;
    }
    if (state != Reading)
        return false;
    if (rows.isEmpty()) {
        state = Finished;
        return false;
    }
    Row &next = rows.head();
    if (next.blanksBefore > 0) {
        --next.blanksBefore;
        row = QStringList{QString()};
        lastRowCut = false;
        return true;
    }
    row = next.fields;
    lastRowCut = next.cut;
    rows.dequeue();
    return true;
}

// Reads on until a row is complete; false at the end of the rows.
bool XlsxReader::parseUntilRow()
{
    ZipPart &part = *sheetXml;
    while (part.next()) {
        QXmlStreamReader &xml = part.xml;
        if (xml.isCharacters()) {
            if (parse.inValue || (parse.inText && parse.phoneticDepth == 0))
                parse.value += xml.text();
            // Past the row's limit the rest of a cell is never held.
            if (parse.rowChars + parse.value.size() > maxCsvRowChars) {
                parse.value.truncate(int(qMax<qint64>(0, maxCsvRowChars - parse.rowChars)));
                parse.row.cut = true;
            }
        } else if (part.startOf("row")) {
            const QString number = part.attribute("r");
            const int r = number.isEmpty() ? parse.lastRow + 1 : number.toInt();
            if (r <= parse.lastRow || r > lastSheetRow) {
                fail(damagedText);
                return false;
            }
            startRow(r);
        } else if (part.startOf("c")) {
            const QString ref = part.attribute("r");
            const int column = ref.isEmpty() ? parse.column + 1 : cellPoint(ref).x();
            if (column <= parse.column || column > lastSheetColumn) {
                fail(damagedText);
                return false;
            }
            parse.column = column;
            parse.type = part.attribute("t");
            parse.style = part.attribute("s").toInt();
            parse.value.clear();
        } else if (part.startOf("v")) {
            parse.inValue = true;
        } else if (part.endOf("v")) {
            parse.inValue = false;
        } else if (part.startOf("t")) {
            parse.inText = true;
        } else if (part.endOf("t")) {
            parse.inText = false;
        } else if (part.startOf("rPh")) {
            ++parse.phoneticDepth;
        } else if (part.endOf("rPh")) {
            --parse.phoneticDepth;
        } else if (part.endOf("c")) {
            endCell();
        } else if (part.endOf("row")) {
            endRow();
            return true;
        } else if (part.endOf("sheetData")) {
            return false;
        }
    }
    if (part.damaged)
        fail(damagedText);
    return false;
}

void XlsxReader::startRow(int number)
{
    parse.row = Row();
    parse.row.blanksBefore = number - parse.lastRow - 1;
    parse.lastRow = number;
    parse.rowChars = 0;
    parse.column = 0;
    while (!parse.mergeEnds.empty() && parse.mergeEnds.begin()->first < number) {
        const auto ended = parse.activeMerges.find(parse.mergeEnds.begin()->second);
        if (ended != parse.activeMerges.end() && ended->second.bottom() < number)
            parse.activeMerges.erase(ended);
        parse.mergeEnds.erase(parse.mergeEnds.begin());
    }
    for (; parse.nextMerge < merges.size() && merges.at(parse.nextMerge).top() <= number; ++parse.nextMerge) {
        const QRect &merge = merges.at(parse.nextMerge);
        if (merge.bottom() >= number) {
            parse.activeMerges[merge.left()] = merge;
            parse.mergeEnds.emplace(merge.bottom(), merge.left());
        }
    }
}

void XlsxReader::endCell()
{
    const QPoint cell(parse.column, parse.lastRow);
    // Merged areas do not overlap: only the nearest one starting at or left of the cell can hold it.
    auto merge = parse.activeMerges.upper_bound(parse.column);
    if (merge != parse.activeMerges.begin() && (--merge)->second.contains(cell) && cell != merge->second.topLeft())
        return;
    QString text;
    if (parse.type == QLatin1String("s")) {
        bool ok = false;
        const int index = parse.value.toInt(&ok);
        if (ok && index >= 0 && index < sharedEnds.size()) {
            const int start = index == 0 ? 0 : sharedEnds.at(index - 1);
            text = QString::fromUtf8(sharedText.constData() + start, sharedEnds.at(index) - start);
        }
    } else if (parse.type == QLatin1String("b")) {
        text = parse.value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    } else if (parse.type.isEmpty() || parse.type == QLatin1String("n")) {
        text = parse.value.isEmpty() ? QString() : cellNumberText(parse.value, styles.value(parse.style), date1904);
    } else if (parse.type == QLatin1String("d")) {
        // A date written out: its day, and its time where it has one.
        text = parse.value.left(16).replace(QLatin1Char('T'), QLatin1Char(' '));
        if (text.endsWith(QLatin1String(" 00:00")) || text.size() <= 10)
            text.truncate(10);
    } else if (parse.type == QLatin1String("str") || parse.type == QLatin1String("inlineStr")) {
        text = unescaped(parse.value);
    } else {
        text = parse.value;
    }
    if (text.isEmpty() || parse.row.cut)
        return;
    if (parse.rowChars + text.size() > maxCsvRowChars) {
        parse.row.cut = true;
        return;
    }
    // Every field counts as a character, the empty ones before this cell as well.
    parse.rowChars += parse.column - parse.row.fields.size() + text.size();
    while (parse.row.fields.size() < parse.column - 1)
        parse.row.fields.append(QString());
    parse.row.fields.append(text);
}

void XlsxReader::endRow()
{
    Row row = parse.row;
    if (row.fields.isEmpty())
        row.fields.append(QString());
    rows.enqueue(row);
}
