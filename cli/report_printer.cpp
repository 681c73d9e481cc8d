#include "cli/report_printer.h"

#include <QTextDocument>
#include <QTextDocumentFragment>

#include <unistd.h>

namespace {

// Progress messages may be rich text for the window's labels; the same test the
// labels use decides whether to strip the markup.
QString plainText(const QString &message)
{
    if (!Qt::mightBeRichText(message))
        return message;
    return QTextDocumentFragment::fromHtml(message).toPlainText();
}

const int barWidth = 30;

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
        writeLine(err, message);
    } else if (type == QLatin1String("progress")) {
        writeLine(out, plainText(message));
    } else if (type == QLatin1String("success")) {
        succeeded = true;
        writeLine(out, message);
    } else if (type == QLatin1String("runtime") || type == QLatin1String("stopped")) {
        writeLine(out, message);
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
