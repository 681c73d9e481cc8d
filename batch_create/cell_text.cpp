#include "batch_create/cell_text.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace {

// Longest integer written with all its digits; a double holds no more than this exactly anyway.
constexpr double largestPlainInteger = 1e21;

bool allDigits(const QString &text, int from)
{
    if (text.size() <= from)
        return false;
    for (int i = from; i < text.size(); ++i)
        if (!text.at(i).isDigit() || text.at(i).unicode() > '9')
            return false;
    return true;
}

QString plainNumber(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(value, 'f', 0);
    if (value == std::floor(value) && std::fabs(value) < largestPlainInteger) {
        // Past fifteen digits a spreadsheet shows zeros, not the digits of the
        // binary number (1.10105199003071E+17 is 110105199003071000).
        const QString scientific = QString::number(std::fabs(value), 'e', 14);
        const int exponent = scientific.mid(scientific.indexOf(QLatin1Char('e')) + 1).toInt();
        const QString digits = scientific.left(1) + scientific.mid(2, 14) + QString(exponent - 14, QLatin1Char('0'));
        return value < 0 ? QLatin1Char('-') + digits : digits;
    }
    // Fifteen significant digits, as a spreadsheet shows them, without an exponent.
    const int magnitude = int(std::floor(std::log10(std::fabs(value))));
    QString text = QString::number(value, 'f', qBound(0, 14 - magnitude, 340));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString dateText(double serial, CellFormat::Kind kind, bool date1904)
{
    // Whole minutes, so that a time stored as 0.99999999 shows as the next day's 00:00.
    const qint64 minutes = qint64(std::llround(serial * 24 * 60));
    qint64 days = minutes / (24 * 60);
    const int minuteOfDay = int(minutes % (24 * 60));
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(days);
    } else {
        // Day 60 is 1900-02-29, which never was: the days before it count from one day later.
        if (days < 60)
            ++days;
        date = QDate(1899, 12, 30).addDays(days);
    }
    const QTime time = QTime(0, 0).addSecs(minuteOfDay * 60);
    const QString hhmm = time.toString(QStringLiteral("HH:mm"));
    if (kind == CellFormat::Time)
        return hhmm;
    const QString day = date.toString(QStringLiteral("yyyy-MM-dd"));
    return kind == CellFormat::DateTime ? day + QLatin1Char(' ') + hhmm : day;
}

}

CellFormat cellFormatOfCode(const QString &code)
{
    // Only the first section speaks for positive numbers; quoted text, escaped
    // characters, colours and conditions say nothing about dates.
    static const QRegularExpression noise(QStringLiteral("\"[^\"]*\"|\\\\.|_.|\\*.|\\[[^\\]]*\\]"));
    QString first = code;
    first.remove(noise);
    first = first.section(QLatin1Char(';'), 0, 0).toLower();
    first.remove(QStringLiteral("general"));
    CellFormat format;
    if (!first.isEmpty() && first.count(QLatin1Char('0')) == first.size()) {
        format.digits = first.size();
        return format;
    }
    // "e" is the era year of a date and the exponent of a number; "m" is a month or minutes.
    const bool placeholders = first.contains(QRegularExpression(QStringLiteral("[0#?]")));
    const bool hasDate = first.contains(QLatin1Char('y')) || first.contains(QLatin1Char('d'))
                         || (!placeholders && first.contains(QRegularExpression(QStringLiteral("[egm]")))
                             && !first.contains(QLatin1Char('h')) && !first.contains(QLatin1Char('s')));
    const bool hasTime = first.contains(QLatin1Char('h')) || first.contains(QLatin1Char('s'));
    if (hasDate)
        format.kind = hasTime ? CellFormat::DateTime : CellFormat::Date;
    else if (hasTime)
        format.kind = CellFormat::Time;
    return format;
}

CellFormat builtInCellFormat(int id)
{
    CellFormat format;
    if (id == 1)
        format.digits = 1;
    else if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) || id == 57 || id == 58)
        format.kind = CellFormat::Date;
    else if (id == 22)
        format.kind = CellFormat::DateTime;
    else if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47) || id == 55 || id == 56)
        format.kind = CellFormat::Time;
    return format;
}

QString cellNumberText(const QString &stored, const CellFormat &format, bool date1904)
{
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return stored;
    if (format.kind != CellFormat::Number && value >= 0 && value < 3e6)
        return dateText(value, format.kind, date1904);
    const bool negative = stored.startsWith(QLatin1Char('-'));
    // Digits as stored are kept exactly: an 18-digit number is not rounded to a double.
    QString text = allDigits(stored, negative ? 1 : 0) ? stored : plainNumber(value);
    if (format.digits > 0 && value == std::floor(value)) {
        const int sign = text.startsWith(QLatin1Char('-')) ? 1 : 0;
        if (text.size() - sign < format.digits)
            text.insert(sign, QString(format.digits - text.size() + sign, QLatin1Char('0')));
    }
    return text;
}
