#pragma once

#include "batch_create/row_reader.h"

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
class CsvReader : public RowReader
{
public:
    explicit CsvReader(const QString &path);
    ~CsvReader() override;

    bool readRow(QStringList &row) override;
    bool rowCut() const override { return lastRowCut; }
    // Finished after the last row; Unreadable for a file that cannot be opened or
    // read; NotText for one holding a zero character, as pictures, spreadsheets and
    // other binary files do.
    Status status() const override { return state; }
    bool sawText() const override { return !parse.lastChar.isNull(); }
    void rewind() override;
    QString problem() const override;
    QString emptyProblem() const override;

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

    QString path;
    QFile file;
    QTextCodec *codec = nullptr;
    std::unique_ptr<QTextDecoder> decoder;
    Status state = Reading;
    Split parse;
    QQueue<QStringList> rows;
    QQueue<bool> rowsCut;
    bool lastRowCut = false;
};
