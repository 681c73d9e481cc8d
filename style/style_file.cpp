#include "style/style_file.h"

#include "common/input_file.h"
#include "common/input_limits.h"
#include "render/qr_style_record.h"
#include "render/print_size.h"
#include "style/style_presets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <variant>

namespace {

using Member = std::variant<bool QrStyleRecord::*, int QrStyleRecord::*, double QrStyleRecord::*,
                            QColor QrStyleRecord::*, QString QrStyleRecord::*>;

enum class Text { Free, Path, Choice };

// One record field a style file may set, with the values it allows.
struct Field
{
    const char *name;
    Member member;
    double low = 0;
    double high = 0;
    Text text = Text::Free;
    QStringList choices = {};
};

// The widest canvas a style may ask for, and the narrowest code it may leave.
constexpr int maxImageSize = 4000;
constexpr int minCodeSize = 100;
constexpr int maxFamilyLength = 100;
// Modules across a code of version 40, the largest.
constexpr int largestSymbolWidth = 177;

const QVector<Field> &fields()
{
    static const QVector<Field> table = {
        {"caseSensitive", &QrStyleRecord::caseSensitive},
        // Mode 3 takes byte pairs of UTF-8 Chinese for Shift-JIS kanji: the code
        // would read back as other characters.
        {"encodeMode", &QrStyleRecord::encodeMode, 2, 2},
        {"errorCorrectionLevel", &QrStyleRecord::errorCorrectionLevel, 0, 3},
        {"version", &QrStyleRecord::version, 0, 40},
        {"margin", &QrStyleRecord::margin, 0, (maxImageSize - minCodeSize) / 2},
        {"imageSize", &QrStyleRecord::imageSize, minCodeSize, maxImageSize},
        {"backgroundPath", &QrStyleRecord::backgroundPath, 0, 0, Text::Path},
        // A canvas off the background is refused by the run; these bound the numbers.
        {"codeOffsetX", &QrStyleRecord::codeOffsetX, 0, 65535},
        {"codeOffsetY", &QrStyleRecord::codeOffsetY, 0, 65535},
        {"codeRotation", &QrStyleRecord::codeRotation, 0, 359},
        {"canvasColor", &QrStyleRecord::canvasColor},
        {"canvasAlpha", &QrStyleRecord::canvasAlpha, 0, 1},
        {"logoPath", &QrStyleRecord::logoPath, 0, 0, Text::Path},
        {"logoWidth", &QrStyleRecord::logoWidth, 0, maxImageSize},
        {"logoHeight", &QrStyleRecord::logoHeight, 0, maxImageSize},
        {"logoFrame", &QrStyleRecord::logoFrame, 0, 1},
        {"logoFrameColor", &QrStyleRecord::logoFrameColor},
        {"moduleShape", &QrStyleRecord::moduleShape, 0, 2},
        {"eyeShape", &QrStyleRecord::eyeShape, 0, 2},
        {"eyeBackdropAlpha", &QrStyleRecord::eyeBackdropAlpha, 0, 1},
        {"eyeOuterColor", &QrStyleRecord::eyeOuterColor},
        {"eyeInnerColor", &QrStyleRecord::eyeInnerColor},
        {"lightModuleColor", &QrStyleRecord::lightModuleColor},
        {"lightModuleSize", &QrStyleRecord::lightModuleSize, 0, 50},
        {"darkModuleColor", &QrStyleRecord::darkModuleColor},
        {"darkModuleSize", &QrStyleRecord::darkModuleSize, 0, 50},
        {"labelPointSize", &QrStyleRecord::labelPointSize, 6, 200},
        {"labelLetterSpacing", &QrStyleRecord::labelLetterSpacing, 0, 100},
        {"labelColor", &QrStyleRecord::labelColor},
        {"labelPosition", &QrStyleRecord::labelPosition, 0, 0, Text::Choice,
         {QStringLiteral("top"), QStringLiteral("bottom"), QStringLiteral("center")}},
        {"labelBold", &QrStyleRecord::labelBold, 0, 1},
        {"labelFontFamily", &QrStyleRecord::labelFontFamily},
        {"plainTimingModules", &QrStyleRecord::plainTimingModules},
        // Millimetres; 0 keeps imageSize pixels.
        {"printWidth", &QrStyleRecord::printWidth, 0, 1000},
        {"printDpi", &QrStyleRecord::printDpi, minPrintDpi, maxPrintDpi},
    };
    return table;
}

// Record fields that are not the style's to set, and why.
QString notInStyle(const QString &name)
{
    if (name == QLatin1String("content") || name == QLatin1String("labelText"))
        return QStringLiteral("内容和名称来自 CSV 文件的每一行");
    if (name == QLatin1String("moduleSize"))
        return QStringLiteral("码点固定按 50 像素绘制，图片大小请用 imageSize");
    if (name == QLatin1String("backgroundSuffix"))
        return QStringLiteral("它由 backgroundPath 的扩展名决定");
    return QString();
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

const QRegularExpression &colourPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\A#[0-9A-Fa-f]{6}\\z"));
    return pattern;
}

// Sets the field from the value, or returns the message saying what it may hold.
QString readField(const Field &field, const QJsonValue &value, const QString &baseFolder, QrStyleRecord &record)
{
    const QString name = QLatin1String(field.name);
    if (auto flag = std::get_if<bool QrStyleRecord::*>(&field.member)) {
        if (!value.isBool())
            return QStringLiteral("字段 “%1” 应为 true 或 false").arg(name);
        record.**flag = value.toBool();
    } else if (auto integer = std::get_if<int QrStyleRecord::*>(&field.member)) {
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || number != std::floor(number) || number < field.low || number > field.high) {
            if (field.low == field.high)
                return QStringLiteral("字段 “%1” 只能为 %2").arg(name, ::number(field.low));
            return QStringLiteral("字段 “%1” 应为 %2 到 %3 之间的整数").arg(name, ::number(field.low), ::number(field.high));
        }
        record.**integer = int(number);
    } else if (auto fraction = std::get_if<double QrStyleRecord::*>(&field.member)) {
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || !(number >= field.low && number <= field.high))
            return QStringLiteral("字段 “%1” 应为 %2 到 %3 之间的数").arg(name, ::number(field.low), ::number(field.high));
        record.**fraction = number;
    } else if (auto colour = std::get_if<QColor QrStyleRecord::*>(&field.member)) {
        if (!colourPattern().match(value.toString()).hasMatch())
            return QStringLiteral("字段 “%1” 应为 #rrggbb 形式的颜色，如 #000000").arg(name);
        (record.**colour).setNamedColor(value.toString());
    } else {
        QString &text = record.*std::get<QString QrStyleRecord::*>(field.member);
        const QString given = value.toString();
        if (field.text == Text::Choice && !field.choices.contains(given))
            return QStringLiteral("字段 “%1” 应为 “%2” 之一").arg(name, field.choices.join(QStringLiteral("”、“")));
        if (field.text == Text::Path && !value.isString())
            return QStringLiteral("字段 “%1” 应为文件路径（文字），空文字表示不用").arg(name);
        if (field.text == Text::Free && (!value.isString() || given.size() > maxFamilyLength))
            return QStringLiteral("字段 “%1” 应为不超过 %2 个字符的文字").arg(name).arg(maxFamilyLength);
        text = field.text == Text::Path && !given.isEmpty() ? QDir::cleanPath(QDir(baseFolder).absoluteFilePath(given))
                                                            : given;
    }
    return QString();
}

QJsonValue fieldValue(const Field &field, const QrStyleRecord &record)
{
    if (auto flag = std::get_if<bool QrStyleRecord::*>(&field.member))
        return record.**flag;
    if (auto integer = std::get_if<int QrStyleRecord::*>(&field.member))
        return record.**integer;
    if (auto fraction = std::get_if<double QrStyleRecord::*>(&field.member))
        return record.**fraction;
    if (auto colour = std::get_if<QColor QrStyleRecord::*>(&field.member))
        return (record.**colour).name();
    return record.*std::get<QString QrStyleRecord::*>(field.member);
}

} // namespace

QString styleFromJson(const QJsonObject &object, const QString &baseFolder, BatchStyle *style)
{
    BatchStyle read = batchPreset();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString name = it.key();
        QString error;
        if (name == QLatin1String("caption")) {
            if (!it.value().isBool())
                error = QStringLiteral("字段 “caption” 应为 true 或 false");
            read.caption = it.value().toBool();
        } else if (!notInStyle(name).isEmpty()) {
            error = QStringLiteral("字段 “%1” 不能写在样式文件中：%2").arg(name, notInStyle(name));
        } else {
            const auto field = std::find_if(fields().begin(), fields().end(),
                                            [&name](const Field &f) { return name == QLatin1String(f.name); });
            if (field == fields().end())
                error = QStringLiteral("未知字段 “%1”").arg(name);
            else
                error = readField(*field, it.value(), baseFolder, read.record);
        }
        if (!error.isEmpty())
            return error;
    }
    const int widestMargin = (read.record.imageSize - minCodeSize) / 2;
    if (read.record.margin > widestMargin) {
        return QStringLiteral("字段 “margin” 应为 0 到 %1 之间的整数（imageSize 为 %2 时，二维码至少要有 %3 像素宽）")
            .arg(widestMargin)
            .arg(read.record.imageSize)
            .arg(minCodeSize);
    }
    // Content decides the version, so the densest code (version 40) may come to
    // any row: the picture it grows to must be one the program may draw.
    QrStyleRecord densest = read.record;
    densest.labelText = read.caption ? QStringLiteral("名称") : QString();
    const QrStyleRecord grown = grownFor(densest, largestSymbolWidth);
    if (qint64(grown.imageSize) * grown.canvasHeight() > maxPicturePixels) {
        return QStringLiteral("字段 “imageSize”、“margin”、“labelPointSize” 合起来使图片过大：内容最长时二维码长大为 "
                              "%1×%2 像素（最多 %3 万像素），请减小 margin 或 labelPointSize")
            .arg(grown.imageSize)
            .arg(grown.canvasHeight())
            .arg(maxPicturePixels / 10000);
    }
    const QString printError = printSizeError(read.record.printWidth, read.record.printDpi);
    if (!printError.isEmpty())
        return printError;
    *style = read;
    return QString();
}

QJsonObject styleToJson(const BatchStyle &style)
{
    QJsonObject object;
    for (const Field &field : fields())
        object.insert(QLatin1String(field.name), fieldValue(field, style.record));
    object.insert(QStringLiteral("caption"), style.caption);
    return object;
}

QString readStyleFile(const QString &path, BatchStyle *style)
{
    QFile file;
    if (!openInputFile(file, path))
        return QStringLiteral("无法读取样式文件：%1").arg(path);
    if (file.size() > maxStyleFileBytes)
        return QStringLiteral("样式文件过大：%1（最多 %2 KB）").arg(path).arg(maxStyleFileBytes / 1024);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return QStringLiteral("样式文件不是有效的 JSON：%1（第 %2 个字节附近）").arg(path).arg(parseError.offset + 1);
    if (!document.isObject())
        return QStringLiteral("样式文件应为一个 JSON 对象 {…}：%1").arg(path);
    const QString error = styleFromJson(document.object(), QFileInfo(path).absolutePath(), style);
    return error.isEmpty() ? error : QStringLiteral("样式文件 %1：%2").arg(path, error);
}

QString writeStyleFile(const QString &path, const BatchStyle &style)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("无法写入样式文件：%1").arg(path);
    file.write(QJsonDocument(styleToJson(style)).toJson(QJsonDocument::Indented));
    if (!file.commit())
        return QStringLiteral("无法写入样式文件：%1").arg(path);
    return QString();
}
