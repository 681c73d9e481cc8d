#include "batch_decode/batch_jiema.h"

#include "common/csv_field.h"
#include "common/elapsed_text.h"
#include "common/file_utils.h"
#include "batch_decode/checked_file.h"
#include "batch_decode/decode_pool.h"
#include "batch_decode/qr_image_decoder.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QList>
#include <QThread>

namespace {

struct PictureFolder
{
    QString path;
    // Appended to the batch stamp to name the folder's CSV file.
    QString csvSuffix;
    QStringList pictureNames;
};

const QString writeFailedText = QStringLiteral("保存文件写入失败，请检查文件夹权限");

// Letter case is ignored: cameras and scanners often write IMG_0001.JPG.
bool isAcceptedPicture(const QString &path)
{
    static const QStringList suffixes{QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("jpeg"),
                                      QStringLiteral("gif"), QStringLiteral("svg"), QStringLiteral("webp"),
                                      QStringLiteral("tiff"), QStringLiteral("bmp")};
    return suffixes.contains(lowerFileSuffix(path));
}

PictureFolder listFolder(const QString &path, const QString &csvSuffix)
{
    PictureFolder folder{path, csvSuffix, QStringList()};
    const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (isAcceptedPicture(path + QLatin1Char('/') + entry.fileName()))
            folder.pictureNames << entry.fileName();
    }
    return folder;
}

// Sub-folder CSVs name pictures without their trailing suffix.
QString withoutSuffix(const QString &name)
{
    return name.left(name.size() - fileSuffix(name).size() - 1);
}

// The "excel" mode wraps digit strings with a tab so that spreadsheets keep them
// as text instead of rounding them to a number.
QString contentField(const QString &content, bool excelDigits)
{
    const QString quoted = quoteCsvField(content);
    if (excelDigits && quoted == content && isDigitString(content))
        return QLatin1Char('"') + content + QStringLiteral("\t\"");
    return quoted;
}

bool pathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
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

void BatchJiema::batchStart(QString jiema_path, QString save_path, QString csv_parse)
{
    run(jiema_path, save_path, csv_parse == QLatin1String("excel"));
    deleteLater();
}

void BatchJiema::run(const QString &jiemaPath, const QString &savePath, bool excel)
{
    const auto report = [this](const char *type, const QString &message) {
        emit returnResult(QLatin1String(type), message);
    };
    // An empty path names no folder: QDir would take the working folder and the
    // files would go to "/<name>".
    if (jiemaPath.isEmpty() || !QDir(jiemaPath).exists()) {
        report("warning", QStringLiteral("你选择的文件夹不存在"));
        return;
    }
    if (savePath.isEmpty() || (!QDir(savePath).exists() && !QDir().mkpath(savePath))) {
        report("warning", QStringLiteral("保存文件夹不存在并且创建失败"));
        return;
    }

    // Everything is listed before anything is written, so the run never sees its
    // own output, and the total is known for the progress count.
    QList<PictureFolder> folders{listFolder(jiemaPath, QString())};
    const QFileInfoList subFolders = QDir(jiemaPath).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &subFolder : subFolders)
        folders << listFolder(subFolder.absoluteFilePath(), QLatin1Char('_') + subFolder.fileName());
    QElapsedTimer timer;
    timer.start();

    // A run started in the same second as an earlier one into the same folder
    // moves to stamp_2, stamp_3, ... instead of appending to the earlier files.
    // Creating the main CSV with NewOnly claims the stamp against other processes.
    const QString baseStamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    const auto csvPath = [&savePath](const QString &csvName) {
        return savePath + QLatin1Char('/') + csvName + QStringLiteral(".csv");
    };
    QString stamp;
    CheckedFile mainCsv;
    for (int attempt = 1;; ++attempt) {
        stamp = attempt == 1 ? baseStamp : baseStamp + QLatin1Char('_') + QString::number(attempt);
        bool taken = false;
        for (const PictureFolder &folder : folders)
            taken = taken || pathTaken(csvPath(stamp + folder.csvSuffix));
        if (taken)
            continue;
        if (mainCsv.open(csvPath(stamp), QIODevice::NewOnly, true))
            break;
        if (!pathTaken(csvPath(stamp))) {
            report("warning", writeFailedText);
            return;
        }
    }
    const QString errorLogPath = savePath + QStringLiteral("/error_log.txt");
    CheckedFile errorLog;
    if (!errorLog.open(errorLogPath, QIODevice::OpenMode(), false)) {
        report("warning", QStringLiteral("错误日志写入失败，请检查保存文件夹权限"));
        return;
    }
    if (!mainCsv.write(QStringLiteral("fileName,qrContent \n"))) {
        report("warning", writeFailedText);
        return;
    }

    DecodePool pool(findDetectorModels(modelFolders), engines);
    if (pool.lacksModels())
        report("notice", QStringLiteral("未找到可用的二维码识别模型文件（opencv_3rdparty 文件夹），"
                                        "将只用 ZXing-C++ 引擎继续解码，小图或模糊的二维码可能无法识别"));
    int total = 0;
    for (const PictureFolder &folder : folders) {
        for (const QString &name : folder.pictureNames)
            pool.add(folder.path + QLatin1Char('/') + name);
        total += folder.pictureNames.size();
    }

    QString csvLabels;
    int successCount = 0;
    int errorCount = 0;
    for (int i = 0; i < folders.size(); ++i) {
        const PictureFolder &folder = folders.at(i);
        const bool isMain = i == 0;
        const QString csvName = stamp + folder.csvSuffix;
        csvLabels += QStringLiteral("<div style='color:blue'>") + csvName.toHtmlEscaped() + QStringLiteral(".csv</div>");
        CheckedFile subCsv;
        if (!isMain && !subCsv.open(csvPath(csvName), QIODevice::OpenMode(), true)) {
            report("warning", writeFailedText);
            return;
        }
        CheckedFile &csv = isMain ? mainCsv : subCsv;
        for (const QString &name : folder.pictureNames) {
            if (QThread::currentThread()->isInterruptionRequested()) {
                report("stopped", QStringLiteral("已停止：完成 %1 / 共 %2").arg(successCount + errorCount).arg(total));
                return;
            }
            const QString path = folder.path + QLatin1Char('/') + name;
            report("progress", QStringLiteral("正在解码：%1").arg(path));
            const QString content = pool.takeNext();
            bool written = false;
            if (content.isEmpty()) {
                ++errorCount;
                written = errorLog.write(stamp + QStringLiteral(" : ") + path + QLatin1Char('\n'));
            } else {
                ++successCount;
                const QString nameField = quoteCsvField(isMain ? name : withoutSuffix(name));
                written = csv.write(nameField + QLatin1Char(',') + contentField(content, excel && isMain) + QLatin1Char('\n'));
            }
            if (!written) {
                report("warning", writeFailedText);
                return;
            }
            report("count", QStringLiteral("%1/%2").arg(successCount + errorCount).arg(total));
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

    if (errorCount > 0) {
        report("success", QStringLiteral("成功：%1 个， 错误：%2 个，请在保存路径查看错误日志").arg(successCount).arg(errorCount));
    } else {
        report("success", QStringLiteral("成功：%1 个").arg(successCount));
        QFile::remove(errorLogPath);
    }
    report("runtime", elapsedText(timer.elapsed()));
    report("progress", QStringLiteral("<div style='color:green;margin-bottom:10px;'>操作完成，请查看文件：</div>") + csvLabels);
}
