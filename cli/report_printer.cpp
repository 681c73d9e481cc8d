#include "cli/report_printer.h"

#include <QJsonDocument>
#include <QJsonObject>
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

void ReportPrinter::setJson(const QString &itemKey)
{
    this->itemKey = itemKey;
    terminal = false;
    runTimer.start();
}

void ReportPrinter::print(const QString &type, const QString &message)
{
    // Both item reports hold a first line, then the item as it is.
    const QString first = message.section(QLatin1Char('\n'), 0, 0);
    const QString item = message.mid(first.size() + 1);
    if (type == QLatin1String("failed")) {
        failures = true;
        ++failedItems;
        if (!itemKey.isEmpty())
            writeItem(item, QString(), first);
        else
            writeLine(out, QStringLiteral("失败：%1（%2）").arg(printableText(item), printableText(first)));
        return;
    }
    if (type == QLatin1String("succeeded")) {
        ++succeededItems;
        if (!itemKey.isEmpty())
            writeItem(item, first, QString());
        return;
    }
    if (type == QLatin1String("success") || type == QLatin1String("stopped") || type == QLatin1String("warning")) {
        ending = type;
        endingText = plainText(message);
    }
    if (!itemKey.isEmpty()) {
        if (type == QLatin1String("success")) {
            succeeded = true;
            failures = failures || message.contains(QStringLiteral("错误："));
        } else if (type == QLatin1String("warning") || type == QLatin1String("notice"))
            writeLine(err, plainText(message));
        return;
    }
    if (type == QLatin1String("count")) {
        if (terminal)
            drawProgress(message);
        return;
    }
    if (type == QLatin1String("warning") || type == QLatin1String("notice")) {
        writeLine(err, plainText(message));
    } else if (type == QLatin1String("success")) {
        succeeded = true;
        // Both workers name failed items in their success text this way too.
        failures = failures || message.contains(QStringLiteral("错误："));
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

void ReportPrinter::writeItem(const QString &item, const QString &output, const QString &reason)
{
    // Seconds since the line before: how long the item held up the run.
    const qint64 now = runTimer.elapsed();
    QJsonObject line{{QStringLiteral("type"), QStringLiteral("item")},
                     {itemKey, item},
                     {QStringLiteral("result"), reason.isEmpty() ? QStringLiteral("ok") : QStringLiteral("failed")},
                     {QStringLiteral("reason"), reason.isEmpty() ? QJsonValue() : QJsonValue(reason)},
                     {QStringLiteral("output"), output.isEmpty() ? QJsonValue() : QJsonValue(output)},
                     {QStringLiteral("seconds"), double(now - lastItemAt) / 1000}};
    lastItemAt = now;
    writeLine(out, QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
}

void ReportPrinter::finish(int exitCode, bool interrupted)
{
    if (itemKey.isEmpty())
        return;
    const QString result = interrupted ? QStringLiteral("interrupted")
        : ending == QLatin1String("success") ? (failedItems > 0 ? QStringLiteral("failures") : QStringLiteral("ok"))
        : ending == QLatin1String("stopped") ? QStringLiteral("stopped")
                                             : QStringLiteral("error");
    const QJsonObject line{{QStringLiteral("type"), QStringLiteral("summary")},
                           {QStringLiteral("result"), result},
                           {QStringLiteral("succeeded"), succeededItems},
                           {QStringLiteral("failed"), failedItems},
                           {QStringLiteral("message"), endingText},
                           {QStringLiteral("seconds"), double(runTimer.elapsed()) / 1000},
                           {QStringLiteral("exitCode"), exitCode}};
    writeLine(out, QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
}
