#pragma once

#include <QSize>
#include <QtGlobal>

// Every limit on what the program accepts as input, in one place. A limit refuses
// the item with a message; nothing is ever silently shrunk to fit.

// Largest picture, in pixels as it will be decoded, that is decoded at all:
// pictures, logos and backgrounds. Checked before decoding, so that a small file
// declaring a huge picture cannot take the machine's memory. For a picture held in
// another format (an icon holding a PNG) the pictures inside are counted.
constexpr qint64 maxPicturePixels = 64'000'000;

// Pixels of the pictures drawn or decoded at once, whatever --jobs is: two of the
// largest pictures, or many small ones. Generation takes about 9 bytes a pixel
// (background, the code on it, its PNG), decoding about 2.5.
constexpr qint64 maxPixelsInFlight = 2 * maxPicturePixels;

// Most scans a JPEG file may hold. Encoders write up to a dozen or so; every scan
// of a progressive JPEG is a pass over the whole picture, so a small file
// repeating one scan thousands of times would keep the decoder busy for minutes.
constexpr int maxJpegScans = 64;

// Drawing commands an SVG picture may hold (path commands, polyline points),
// each counted svgDashCost times in a file that dashes its strokes: a path of
// 20,000 dashed segments keeps Qt drawing for minutes and then past all memory.
constexpr qint64 maxSvgDrawingCost = 200'000;
constexpr qint64 svgDashCost = 50;

// Places looking like a finder pattern in one picture the detectors are given:
// room for a sheet of a hundred codes, while their time grows with the cube.
constexpr int maxFinderLookalikes = 600;

// Longest content any QR code can hold: 7,089 digits in numeric mode. Longer
// content fails at once instead of keeping the encoder busy.
constexpr int maxContentDigits = 7089;
// Longest content of digits, capital letters and " $%*+-./:" (alphanumeric mode).
constexpr int maxContentAlphanumeric = 4296;
// Longest content in byte mode (version 40, level L).
constexpr int maxContentBytes = 2953;

// Longest CSV row read whole, in characters, each field counting one more. A row
// only needs a name and a content, so this stops nothing but a runaway row (a
// quote never closed in a huge file) from taking the memory; a longer row fails.
constexpr qint64 maxCsvRowChars = 16 * 1024 * 1024;

// Most characters of the shared strings of a workbook, which are held while its
// rows are read; each string counts 16 more for what holding it costs.
constexpr qint64 maxSharedTextChars = 64 * 1024 * 1024;
// Most sheets, relationships, number formats, cell styles and merged areas each
// that a workbook may have; real workbooks have a few thousand at most.
constexpr int maxWorkbookEntries = 1'000'000;

// Largest style file read; a style takes about a kilobyte.
constexpr qint64 maxStyleFileBytes = 64 * 1024;

// Resolutions a printed PNG may ask for, and the widest it may get so: a printed
// code's canvas is drawn in memory at full size.
constexpr int minPrintDpi = 72;
constexpr int maxPrintDpi = 2400;
constexpr int maxPrintPixels = 8000;

// Most labels one sheet file takes: a run of a whole product catalogue.
constexpr int maxSheetLabels = 1'000'000;

class QImageReader;
class QString;

// The size of the largest picture the reader's decoder will produce: for a GIF
// file the larger of its first frame and its logical screen, on which Qt draws
// every frame; for an icon file its largest picture, whatever its directory says.
// Invalid when it cannot be told without decoding, or for a format whose size is
// not known to be the decoded one. The reader's device must be open.
QSize decodedPictureSize(QImageReader &reader);

// True when the reader's picture decodes to at most maxPicturePixels. A picture
// whose size cannot be told without decoding it is refused as well.
bool pictureSizeAllowed(QImageReader &reader);

// True for a picture whose decoding would take out of all proportion to its
// pixels: a JPEG file of more than maxJpegScans scans, an SVG file of a drawing
// cost past maxSvgDrawingCost.
bool pictureTooComplex(QImageReader &reader);

// False for content that no QR code can hold: its digits, alphanumeric characters
// and other bytes (UTF-8) together need more room than the largest code has.
bool contentLengthAllowed(const QString &content);
