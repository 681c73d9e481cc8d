#include "batch_decode/batch_jiema.h"

#include "batch_decode/decode_pool.h"
#include "batch_decode/qr_image_decoder.h"
#include "common/csv_field.h"
#include "common/elapsed_text.h"
#include "common/file_utils.h"
#include "common/folder_listing.h"
#include "common/guarded_file.h"
#include "common/guarded_line_file.h"
#include "common/held_folder.h"
#include "common/input_limits.h"
#include "common/report_text.h"
#include "common/run_error_log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QList>
#include <QScopeGuard>
#include <QThread>

#include <vector>

namespace {

struct PictureFolder
{
    QString path;
    // Names the folder's CSV file after the batch stamp; null for the picture folder itself.
    QString name;
    // False for a sub-folder that cannot be listed: it is one failed item and has no CSV file.
    bool listed;
    QStringList pictureNames;
    // Pictures whose file names cannot be opened, shown as well as they can be.
    QStringList unreadableNames;
    // Pictures that are no file to read, with the reason.
    QVector<SkippedEntry> skipped;
};

const QString writeFailedText = QStringLiteral("保存文件写入失败，请检查文件夹权限");

// Why a picture fails, as the command line and the pages show it beside its path.
const QString unlistedFolderReason = QStringLiteral("无法读取文件夹");
const QString undecodableNameReason = QStringLiteral("文件名编码无法识别");
const QString noCodeReason = QStringLiteral("未识别到二维码");
const QString unreadablePictureReason = QStringLiteral("无法读取图片文件");
const QString tooManyPixelsReason = QStringLiteral("图片像素过多");

// Why a picture in which no code was read failed: told from its header alone.
QString noCodeFoundReason(const QString &path)
{
    QImageReader reader(path);
    if (!reader.canRead())
        return unreadablePictureReason;
    return pictureSizeAllowed(reader) ? noCodeReason : tooManyPixelsReason;
}
// Runs in the same second take stamp_2, stamp_3, ...; past this something else is wrong.
constexpr int maxStampAttempts = 1000;

// Letter case is ignored: cameras and scanners often write IMG_0001.JPG.
bool isAcceptedPicture(const QString &path)
{
    static const QStringList suffixes{QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("jpeg"),
                                      QStringLiteral("gif"), QStringLiteral("svg"), QStringLiteral("webp"),
                                      QStringLiteral("tiff"), QStringLiteral("bmp")};
    return suffixes.contains(lowerFileSuffix(path));
}

PictureFolder pictureFolder(const QString &path, const QString &name, const FolderListing &listing)
{
    PictureFolder folder{path, name, listing.listed, QStringList(), QStringList(), QVector<SkippedEntry>()};
    for (const FolderEntry &entry : listing.files) {
        if (isAcceptedPicture(path + QLatin1Char('/') + entry.name))
            (entry.readable ? folder.pictureNames : folder.unreadableNames) << entry.name;
    }
    for (const SkippedEntry &skipped : listing.skipped) {
        if (isAcceptedPicture(path + QLatin1Char('/') + skipped.entry.name))
            folder.skipped << skipped;
    }
    return folder;
}

// The name of a folder's CSV file, without ".csv". A name too long for the file
// system keeps the stamp and the start of the sub-folder's name and ends with a
// short hash of the whole name, which tells such names apart.
QString csvName(const QString &stamp, const QString &folderName)
{
    const QString name = folderName.isNull() ? stamp : stamp + QLatin1Char('_') + folderName;
    const auto fits = [](const QString &base) { return QFile::encodeName(base + QStringLiteral(".csv")).size() <= maxFileNameBytes; };
    if (fits(name))
        return name;
    const QString hash = QLatin1Char('~')
        + QString::fromLatin1(QCryptographicHash::hash(folderName.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    QString start = folderName;
    while (!start.isEmpty() && (!fits(stamp + QLatin1Char('_') + start + hash) || QChar(start.back()).isHighSurrogate()))
        start.chop(1);
    return stamp + QLatin1Char('_') + start + hash;
}

// Sub-folder CSVs name pictures without their trailing suffix.
QString withoutSuffix(const QString &name)
{
    return name.left(name.size() - fileSuffix(name).size() - 1);
}

// In "excel" mode a field that a spreadsheet would take for a formula gets a
// leading single quote, the usual guard: codes are read from strangers' photos.
QString spreadsheetSafe(const QString &field, bool excel)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    return excel && !field.isEmpty() && formulaStarts.contains(field.at(0)) ? QLatin1Char('\'') + field : field;
}

// The "excel" mode wraps digit strings with a tab so that spreadsheets keep them
// as text instead of rounding them to a number or dropping leading zeros.
QString contentField(const QString &content, bool excelDigits)
{
    const QString quoted = quoteCsvField(content);
    if (excelDigits && quoted == content && isDigitString(content))
        return QLatin1Char('"') + content + QStringLiteral("\t\"");
    return quoted;
}

QByteArray utf8Line(const QString &line)
{
    return (line + QLatin1Char('\n')).toUtf8();
}

}

BatchJiema::BatchJiema(const QStringList &modelFolders)
    : modelFolders(modelFolders)
{
}

void BatchJiema::setEngines(DecodeEngines engines)
{
    this->engines = engines;
}

void BatchJiema::setJobs(int jobs)
{
    this->jobs = jobs;
}

void BatchJiema::setAllFormats(bool all)
{
    allFormats = all;
}

void BatchJiema::batchStart(QString jiema_path, QString save_path, QString csv_parse)
{
    run(jiema_path, save_path, csv_parse == QLatin1String("excel"));
    finishRun();
}

void BatchJiema::run(const QString &jiemaPath, const QString &savePath, bool excel)
{
    // An empty path names no folder: QDir would take the working folder and the
    // files would go to "/<name>".
    if (jiemaPath.isEmpty() || !QDir(jiemaPath).exists()) {
        report("warning", QStringLiteral("你选择的文件夹不存在"));
        return;
    }

    // Everything is listed before anything is written, so the run never sees its
    // own output, and the total is known for the progress count.
    const FolderListing listing = listFolder(jiemaPath);
    if (!listing.listed) {
        report("warning", QStringLiteral("无法读取你选择的文件夹，请检查文件夹权限"));
        return;
    }
    // Made only for inputs that are accepted.
    if (savePath.isEmpty() || (!QDir(savePath).exists() && !QDir().mkpath(savePath))) {
        report("warning", QStringLiteral("保存文件夹不存在并且创建失败"));
        return;
    }
    QList<PictureFolder> folders{pictureFolder(jiemaPath, QString(), listing)};
    for (const FolderEntry &subFolder : listing.folders) {
        const QString path = QFileInfo(jiemaPath + QLatin1Char('/') + subFolder.name).absoluteFilePath();
        // A sub-folder whose name cannot be opened cannot be listed either.
        folders << pictureFolder(path, subFolder.name, subFolder.readable ? listFolder(path) : FolderListing());
    }
    QElapsedTimer timer;
    timer.start();

    const HeldFolder saveFolder(savePath);
    const QString errorLogPath = savePath + QStringLiteral("/error_log.txt");
    RunErrorLog errorLog;
    if (!saveFolder.isOpen() || !errorLog.open(errorLogPath)) {
        report("warning", RunErrorLog::openFailureText(errorLogPath));
        return;
    }

    // Every CSV file of the run is created new, under one stamp for which all their
    // names are free; names of runs started in the same second can then never meet.
    const QString baseStamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    const auto csvPath = [&savePath](const QString &name) {
        return savePath + QLatin1Char('/') + name + QStringLiteral(".csv");
    };
    QString stamp;
    std::vector<GuardedLineFile> csvFiles;
    csvFiles.reserve(size_t(folders.size()));
    // CSV files of folders the run does not reach are removed again.
    int reached = -1;
    const auto dropUnreached = qScopeGuard([&csvFiles, &reached] {
        for (size_t i = size_t(reached + 1); i < csvFiles.size(); ++i)
            csvFiles[i].remove();
    });
    bool claimed = false;
    for (int attempt = 1; !claimed; ++attempt) {
        for (GuardedLineFile &file : csvFiles)
            file.remove();
        csvFiles.clear();
        if (attempt > maxStampAttempts) {
            report("warning", writeFailedText);
            return;
        }
        stamp = attempt == 1 ? baseStamp : baseStamp + QLatin1Char('_') + QString::number(attempt);
        claimed = true;
        for (const PictureFolder &folder : folders) {
            csvFiles.emplace_back();
            GuardedLineFile &file = csvFiles.back();
            if (!folder.listed)
                continue;
            if (!file.create(csvPath(csvName(stamp, folder.name)))) {
                claimed = false;
                if (file.takenByOther())
                    break;
                report("warning", writeFailedText);
                return;
            }
            // The byte-order mark lets spreadsheet programs read the file as UTF-8.
            const QByteArray start = QByteArrayLiteral("\xEF\xBB\xBF")
                + (folder.name.isNull() ? QByteArrayLiteral("fileName,qrContent \n") : QByteArray());
            if (!file.write(start) || !file.close()) {
                report("warning", writeFailedText);
                return;
            }
        }
    }

    DecodePool pool(findDetectorModels(modelFolders), engines, jobs, allFormats);
    if (pool.lacksModels())
        report("notice", QStringLiteral("未找到可用的二维码识别模型文件（opencv_3rdparty 文件夹），"
                                        "将只用 ZXing-C++ 引擎继续解码，小图或模糊的二维码可能无法识别"));
    // Items are numbered for the shard in the order the run takes them: a folder
    // that cannot be listed is one, otherwise its pictures, then its unreadable names.
    int total = 0;
    qint64 item = 0;
    for (const PictureFolder &folder : folders) {
        for (const QString &name : folder.pictureNames) {
            if (shard.holds(item++)) {
                pool.add(folder.path + QLatin1Char('/') + name);
                ++total;
            }
        }
        for (qint64 end = item + (folder.listed ? folder.unreadableNames.size() + folder.skipped.size() : 1); item < end; ++item)
            total += shard.holds(item) ? 1 : 0;
    }
    item = 0;

    QString csvLabels;
    int successCount = 0;
    // One failed item: a log line, then its report; false when the line cannot be written.
    // The path is quoted as in the CSV files, so that no name can break the line or forge another.
    const auto logFailure = [&](const QString &path, const QString &why, const QString &reason) {
        if (!errorLog.writeFailure(utf8Line(stamp + QStringLiteral(" : ") + quoteCsvField(path) + why)))
            return false;
        reportFailure(reason, path);
        report("count", QStringLiteral("%1/%2").arg(successCount + errorLog.failures()).arg(total));
        return true;
    };
    for (reached = 0; reached < folders.size(); ++reached) {
        const PictureFolder &folder = folders.at(reached);
        if (!folder.listed) {
            if (shard.holds(item++) && !logFailure(folder.path, QStringLiteral(" （无法读取文件夹）"), unlistedFolderReason)) {
                report("warning", writeFailedText);
                return;
            }
            continue;
        }
        const bool isMain = folder.name.isNull();
        csvLabels += QStringLiteral("<div style='color:blue'>") + csvName(stamp, folder.name).toHtmlEscaped()
            + QStringLiteral(".csv</div>");
        GuardedLineFile &csv = csvFiles[size_t(reached)];
        if (!csv.reopen()) {
            report("warning", writeFailedText);
            return;
        }
        for (const QString &name : folder.pictureNames) {
            if (!shard.holds(item++))
                continue;
            if (QThread::currentThread()->isInterruptionRequested()) {
                report("stopped", QStringLiteral("已停止：完成 %1 / 共 %2").arg(successCount + errorLog.failures()).arg(total));
                return;
            }
            const QString path = folder.path + QLatin1Char('/') + name;
            report("progress", reportWithUserText(QStringLiteral("正在解码：%1"), path));
            const QString content = pool.takeNext();
            bool written = false;
            if (content.isEmpty()) {
                written = logFailure(path, QString(), noCodeFoundReason(path));
            } else {
                // Every CSV of the run keeps digit strings as text: a sub-folder's
                // names lose their suffix, so "000123.png" is a digit string there.
                const QString nameField = contentField(spreadsheetSafe(isMain ? name : withoutSuffix(name), excel), excel);
                written = csv.write(utf8Line(nameField + QLatin1Char(',') + contentField(spreadsheetSafe(content, excel), excel)));
                successCount += written ? 1 : 0;
                if (written) {
                    reportSuccess(csvPath(csvName(stamp, folder.name)), path);
                    report("count", QStringLiteral("%1/%2").arg(successCount + errorLog.failures()).arg(total));
                }
            }
            if (!written) {
                report("warning", writeFailedText);
                return;
            }
        }
        QVector<QPair<QString, QString>> notRead;
        for (const QString &name : folder.unreadableNames)
            notRead.append({name, undecodableNameReason});
        for (const SkippedEntry &skipped : folder.skipped)
            notRead.append({skipped.entry.name, skipped.reason});
        for (const auto &failed : notRead) {
            if (!shard.holds(item++))
                continue;
            const QString path = folder.path + QLatin1Char('/') + failed.first;
            if (!logFailure(path, QStringLiteral(" （") + failed.second + QStringLiteral("）"), failed.second)) {
                report("warning", writeFailedText);
                return;
            }
        }
        if (!csv.close()) {
            report("warning", writeFailedText);
            return;
        }
    }
    if (!errorLog.close()) {
        report("warning", writeFailedText);
        return;
    }

    if (errorLog.failures() > 0) {
        report("success", QStringLiteral("成功：%1 个， 错误：%2 个，请在保存路径查看错误日志").arg(successCount).arg(errorLog.failures()));
    } else {
        report("success", QStringLiteral("成功：%1 个").arg(successCount));
        errorLog.remove();
    }
    report("runtime", elapsedText(timer.elapsed()));
    report("progress", QStringLiteral("<div style='color:green;margin-bottom:10px;'>操作完成，请查看文件：</div>") + csvLabels);
}
