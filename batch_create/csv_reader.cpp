#include "batch_create/csv_reader.h"

#include "batch_create/csv_first_pass.h"
#include "common/input_file.h"
#include "common/input_limits.h"
#include "common/report_text.h"
#include "common/text_codec.h"

#include <QTextCodec>
#include <QTextDecoder>

namespace {

// Small enough that the rows of one chunk take little memory, large enough to read fast.
constexpr qint64 chunkSize = 64 * 1024;

bool isSpecial(QChar c)
{
    const ushort u = c.unicode();
    return u == '\n' || u == '\r' || u == ',' || u == '"' || u == 0;
}

}

CsvReader::CsvReader(const QString &path) : path(path)
{
    if (!openInputFile(file, path) || !(codec = guessTextCodec(file)))
        state = Unreadable;
    else
        decoder.reset(codec->makeDecoder());
}

CsvReader::~CsvReader() = default;

QString CsvReader::problem() const
{
    if (state == NotText)
        return reportWithUserText(QStringLiteral("不是文本文件，无法作为CSV文件读取：<br>%1"), path);
    return unreadableCsvMessage(path);
}

QString CsvReader::emptyProblem() const
{
    return unreadableCsvMessage(path, QStringLiteral("（文件是空的）"));
}

void CsvReader::rewind()
{
    if (!codec || !file.seek(0)) {
        state = Unreadable;
        return;
    }
    decoder.reset(codec->makeDecoder());
    state = Reading;
    parse = Split();
    rows.clear();
    rowsCut.clear();
}

bool CsvReader::readRow(QStringList &row)
{
    while (rows.isEmpty() && state == Reading && !parse.inputDone) {
        const QByteArray chunk = file.read(chunkSize);
        if (!chunk.isEmpty())
            feed(decoder->toUnicode(chunk));
        else if (file.error() != QFileDevice::NoError)
            state = Unreadable;
        else
            finish();
    }
    if (state != Reading)
        return false;
    if (rows.isEmpty()) {
        state = Finished;
        return false;
    }
    row = rows.dequeue();
    lastRowCut = rowsCut.dequeue();
    return true;
}

void CsvReader::feed(const QString &text)
{
    const QChar *c = text.constData();
    const QChar *end = c + text.size();
    while (c < end) {
        if (parse.crPending) {
            parse.crPending = false;
            if (*c != QLatin1Char('\n'))
                split(QLatin1Char('\r'));
        }
        if (c->unicode() == 0) {
            state = NotText;
            return;
        }
        if (*c == QLatin1Char('\r')) {
            parse.crPending = true;
            ++c;
        } else if (parse.quotePending || isSpecial(*c)) {
            split(*c++);
        } else {
            // A run of ordinary characters joins the field in one step.
            const QChar *runEnd = c + 1;
            while (runEnd < end && !isSpecial(*runEnd))
                ++runEnd;
            append(c, runEnd - c);
            parse.lastChar = runEnd[-1];
            c = runEnd;
        }
    }
}

void CsvReader::split(QChar c)
{
    parse.lastChar = c;
    const QChar quote = QLatin1Char('"');
    if (parse.quotePending) {
        parse.quotePending = false;
        if (c == quote) {
            append(&c, 1);
            return;
        }
        parse.inQuotes = false;
    }
    if (parse.inQuotes) {
        if (c == quote)
            parse.quotePending = true;
        else
            append(&c, 1);
    } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
        // A lone CR ends a row as well, as older spreadsheet programs wrote them.
        endField();
        rows.enqueue(parse.row);
        rowsCut.enqueue(parse.cut);
        parse.row.clear();
        parse.rowChars = 0;
        parse.cut = false;
    } else if (c == QLatin1Char(',')) {
        endField();
    } else if (c == quote) {
        parse.inQuotes = true;
    } else {
        append(&c, 1);
    }
}

void CsvReader::append(const QChar *chars, qint64 count)
{
    const qint64 room = maxCsvRowChars - parse.rowChars;
    parse.cut = parse.cut || count > room;
    const qint64 taken = qBound(qint64(0), count, room);
    parse.field.append(chars, int(taken));
    parse.rowChars += taken;
}

// Every field counts as a character, so that a row of endless commas is cut as well.
void CsvReader::endField()
{
    if (parse.row.isEmpty() || !parse.cut)
        parse.row << parse.field;
    parse.field.clear();
    parse.cut = parse.cut || ++parse.rowChars > maxCsvRowChars;
}

// The text ends with a line end, supplied when missing; a row left open by a quote
// is dropped. A text without a character holds no row at all.
void CsvReader::finish()
{
    parse.inputDone = true;
    if (parse.crPending) {
        parse.crPending = false;
        split(QLatin1Char('\r'));
    }
    if (!parse.lastChar.isNull() && parse.lastChar != QLatin1Char('\n') && parse.lastChar != QLatin1Char('\r'))
        split(QLatin1Char('\n'));
}
