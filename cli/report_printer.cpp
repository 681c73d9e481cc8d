#include "cli/report_printer.h"

#include <QTextDocument>
#include <QTextDocumentFragment>

#include <unistd.h>

namespace {

// Messages may be rich text for the window's labels, user data in them escaped;
// the same test the labels use decides whether to turn the markup into text. Line
// breaks of rich text come from its markup (the data's own become blanks) and stay.
QString plainText(const QString &message)
{
    if (!Qt::mightBeRichText(message))
        return printableText(message);
    QStringList lines = QTextDocumentFragment::fromHtml(message).toPlainText().split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = printableText(line);
    return lines.join(QLatin1Char('\n'));
}

const int barWidth = 30;

}

QString printableText(const QString &text)
{
    QString printable;
    printable.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            printable += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            printable += c;
    }
    return printable;
}

ReportPrinter::ReportPrinter()
    : ReportPrinter(stdout, stderr, isatty(fileno(stdout)) != 0)
{
}

ReportPrinter::ReportPrinter(FILE *out, FILE *err, bool terminal)
    : out(out)
    , err(err)
    , terminal(terminal)
{
}

void ReportPrinter::print(const QString &type, const QString &message)
{
    if (type == QLatin1String("count")) {
        if (terminal)
            drawProgress(message);
        return;
    }
    if (type == QLatin1String("warning") || type == QLatin1String("notice")) {
        writeLine(err, plainText(message));
    } else if (type == QLatin1String("success")) {
        succeeded = true;
        // Both workers name failed items in their success text this way.
        failures = message.contains(QStringLiteral("错误："));
        writeLine(out, plainText(message));
    } else if (type == QLatin1String("progress") || type == QLatin1String("runtime") || type == QLatin1String("stopped")) {
        writeLine(out, plainText(message));
    }
}

void ReportPrinter::writeLine(FILE *stream, const QString &text)
{
    if (progressShown) {
        // Wipe the progress bar so that the line takes its place.
        fputs("\r\033[K", out);
        fflush(out);
        progressShown = false;
    }
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    fflush(stream);
}

void ReportPrinter::drawProgress(const QString &count)
{
    const int slash = count.indexOf(QLatin1Char('/'));
    const int done = count.left(slash).toInt();
    const int total = count.mid(slash + 1).toInt();
    if (slash <= 0 || total <= 0)
        return;
    const int filled = int(qint64(barWidth) * qBound(0, done, total) / total);
    const QString bar = QStringLiteral("\r[%1%2] %3")
                            .arg(QString(filled, QLatin1Char('#')), QString(barWidth - filled, QLatin1Char('.')), count);
    fputs(bar.toUtf8().constData(), out);
    fflush(out);
    progressShown = true;
}
