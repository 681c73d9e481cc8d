#include "batch_decode/zxing_reader.h"

#include "batch_decode/payload_text.h"

#include <QTextCodec>

#include <algorithm>

#include <opencv2/imgproc.hpp>

// Result::text() gives UTF-8.
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

namespace {

// ZXing-C++ decodes Kanji segments and character-set designators (ECI) itself.
// Byte segments without a designator come back as Latin-1 (see the hints), one
// character per byte, so that they can be told apart from the rest and guessed
// like any payload of unknown encoding.
QString resultText(const ZXing::Result &result, const QByteArray &bytes)
{
    const QString text = QString::fromStdString(result.text());
    if (result.hasECI())
        return text;
    if (text == QString::fromLatin1(bytes))
        return payloadText(bytes);
    // Kanji segments come from Shift-JIS text, so the byte segments beside them
    // (half-width katakana) are Shift-JIS as well.
    QTextCodec::ConverterState state;
    const QString shiftJis = QTextCodec::codecForName("Shift_JIS")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0 || shiftJis.size() != text.size())
        return text;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() > 0xFF && text.at(i) != shiftJis.at(i))
            return text;
    }
    return shiftJis;
}

QList<FoundCode> readOnce(const cv::Mat &grey, double scale, bool allFormats)
{
    static const ZXing::DecodeHints qrHints =
        ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setCharacterSet("ISO-8859-1");
    static const ZXing::DecodeHints allHints = ZXing::DecodeHints(qrHints).setFormats(ZXing::BarcodeFormat::Any);
    const ZXing::Results results = ZXing::ReadBarcodes(
        ZXing::ImageView(grey.data, grey.cols, grey.rows, ZXing::ImageFormat::Lum, int(grey.step)), allFormats ? allHints : qrHints);
    QList<FoundCode> codes;
    for (const ZXing::Result &result : results) {
        if (!result.isValid())
            continue;
        const QByteArray bytes(reinterpret_cast<const char *>(result.bytes().data()), int(result.bytes().size()));
        QPolygonF corners;
        for (const ZXing::PointI &corner : result.position())
            corners << QPointF(corner.x, corner.y) * scale;
        codes << FoundCode{bytes, resultText(result, bytes), corners};
    }
    return codes;
}

}

QList<FoundCode> readWithZxing(const cv::Mat &grey, bool allFormats)
{
    QList<FoundCode> codes = readOnce(grey, 1, allFormats);
    cv::Mat variant;
    if (codes.isEmpty()) {
        cv::bitwise_not(grey, variant);
        codes = readOnce(variant, 1, allFormats);
    }
    // A third of a version 1 code (21 modules) must still have a pixel per module.
    if (codes.isEmpty() && std::min(grey.cols, grey.rows) >= 3 * 21) {
        cv::resize(grey, variant, cv::Size(grey.cols / 3, grey.rows / 3), 0, 0, cv::INTER_AREA);
        codes = readOnce(variant, 3, allFormats);
    }
    if (codes.isEmpty()) {
        cv::equalizeHist(grey, variant);
        codes = readOnce(variant, 1, allFormats);
    }
    return codes;
}
