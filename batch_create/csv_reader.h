#pragma once

#include <QFile>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <memory>

class QTextCodec;
class QTextDecoder;

// Reads the rows of a CSV file one after another, so that a file of any size takes
// no more memory than a few of its rows. Rows end with LF, CR LF or a lone CR; a
// double quote opens and closes quoting anywhere in a field, a doubled quote
// inside quotes stands for one, and a row whose quote is never closed is dropped. The encoding is chosen as by
// decodeLocalText: a byte-order mark, then valid UTF-8, then GB18030, then Latin-1.
class CsvReader
{
public:
    enum Status { Reading, Finished, Unreadable, NotText };

    explicit CsvReader(const QString &path);
    ~CsvReader();

    // The next row, which holds at least one field; false once the rows are over or
    // the file cannot be read on (status() tells which).
    bool readRow(QStringList &row);
    // True when the row last read was longer than maxCsvRowChars and was cut short.
    bool rowCut() const { return lastRowCut; }
    // Finished after the last row; Unreadable for a file that cannot be opened or
    // read; NotText for one holding a zero character, as pictures, spreadsheets and
    // other binary files do.
    Status status() const { return state; }
    // True once the pass has met a character; false for an empty file (a
    // byte-order mark alone counts as none).
    bool sawText() const { return !parse.lastChar.isNull(); }
    // Back before the first row, for another pass over the file.
    void rewind();

private:
    // Where the splitting stands between two chunks of text.
    struct Split
    {
        QStringList row;
        QString field;
        qint64 rowChars = 0;
        bool cut = false;
        bool inQuotes = false;
        // Inside quotes a quote was read: the next character tells a doubled quote from a closing one.
        bool quotePending = false;
        // A CR was read: an LF next makes the pair one LF.
        bool crPending = false;
        QChar lastChar;
        bool inputDone = false;
    };

    void feed(const QString &text);
    void split(QChar c);
    void append(const QChar *chars, qint64 count);
    void endField();
    void finish();

    QFile file;
    QTextCodec *codec = nullptr;
    std::unique_ptr<QTextDecoder> decoder;
    Status state = Reading;
    Split parse;
    QQueue<QStringList> rows;
    QQueue<bool> rowsCut;
    bool lastRowCut = false;
};
