#include "common/guarded_file.h"
#include "common/held_folder.h"
#include "common/input_limits.h"
#include "common/run_error_log.h"

#include "tests/support/test_support.h"

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <unistd.h>

class TestCommon : public QObject
{
    Q_OBJECT

private slots:
    // Each kind of character at the largest count a code holds, and one more; mixed kinds share the room.
    void contentLength_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("digits") << QString(maxContentDigits, '7') << true;
        QTest::newRow("one digit more") << QString(maxContentDigits + 1, '7') << false;
        QTest::newRow("alphanumeric") << QString(maxContentAlphanumeric, 'A') << true;
        QTest::newRow("one capital more") << QString(maxContentAlphanumeric + 1, 'A') << false;
        QTest::newRow("bytes") << QString(maxContentBytes, 'a') << true;
        QTest::newRow("one byte more") << QString(maxContentBytes + 1, 'a') << false;
        QTest::newRow("three-byte characters") << QString(maxContentBytes / 3, u'码') << true;
        QTest::newRow("one character more") << QString(maxContentBytes / 3 + 1, u'码') << false;
        QTest::newRow("half digits, half bytes") << QString(maxContentDigits / 2, '1') + QString(maxContentBytes / 2, 'a') << true;
        QTest::newRow("half digits, more bytes") << QString(maxContentDigits / 2, '1') + QString(maxContentBytes / 2 + 2, 'a') << false;
    }

    void contentLength()
    {
        QFETCH(QString, content);
        QFETCH(bool, allowed);
        QCOMPARE(contentLengthAllowed(content), allowed);
    }

    // Pictures of exactly the most pixels allowed, and of one row more.
    void pictureSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("allowed");
        const int side = int(std::sqrt(double(maxPicturePixels)));
        const int rows = int(maxPicturePixels / side);
        QTest::newRow("at the limit") << QSize(side, rows) << true;
        QTest::newRow("one row more") << QSize(side, rows + 1) << false;
    }

    void pictureSize()
    {
        QFETCH(QSize, size);
        QFETCH(bool, allowed);
        QTemporaryDir tmp;
        QImage picture(size, QImage::Format_Mono);
        picture.fill(1);
        QVERIFY(picture.save(tmp.filePath("a.png")));
        QImageReader reader(tmp.filePath("a.png"));
        QCOMPARE(pictureSizeAllowed(reader), allowed);
    }

    // Where writing "save/a.png" lands, whatever links lie in the save folder.
    void guardedTargets_data()
    {
        QTest::addColumn<QStringList>("links"); // "link->target", relative to the test's folder
        QTest::addColumn<QString>("target");    // relative to the test's folder, empty when refused
        QTest::newRow("no link") << QStringList() << "save/a.png";
        QTest::newRow("link inside") << QStringList{"save/a.png->b.png"} << "save/b.png";
        QTest::newRow("into a sub-folder") << QStringList{"save/a.png->sub/b.png", "save/sub->."} << "save/b.png";
        QTest::newRow("out") << QStringList{"save/a.png->../x.png"} << "";
        QTest::newRow("chain out") << QStringList{"save/a.png->b.png", "save/b.png->../x.png"} << "";
        QTest::newRow("through a folder link out") << QStringList{"save/a.png->sub/x.png", "save/sub->.."} << "";
        QTest::newRow("loop") << QStringList{"save/a.png->b.png", "save/b.png->a.png"} << "";
        QTest::newRow("save folder is a link") << QStringList{"real->save"} << "save/a.png";
        QTest::newRow("sibling whose name extends the folder's") << QStringList{"save/a.png->../save2/x.png"} << "";
        QTest::newRow("relative chain through a sub-folder") << QStringList{"save/a.png->sub/b.png", "save/sub/b.png->../c.png"}
                                                             << "save/c.png";
        QTest::newRow("relative chain through a folder link out")
            << QStringList{"save/a.png->sub/b.png", "save/sub->../other", "other/b.png->x.png"} << "";
        QTest::newRow("absolute link inside") << QStringList{"save/a.png-><tmp>/save/b.png"} << "save/b.png";
        QTest::newRow("absolute link out") << QStringList{"save/a.png-><tmp>/x.png"} << "";
        QTest::newRow("hard link") << QStringList{"save/a.png=>x.png"} << "";
        QTest::newRow("folder in the way") << QStringList{"save/a.png/"} << "";
    }

    void guardedTargets()
    {
        QFETCH(QStringList, links);
        QFETCH(QString, target);
        QTemporaryDir tmp;
        const QDir dir(tmp.path());
        QVERIFY(dir.mkpath("save") && dir.mkpath("save2") && dir.mkpath("other"));
        QVERIFY(QFile(tmp.filePath("x.png")).open(QIODevice::WriteOnly));
        for (QString link : links) {
            link.replace("<tmp>", QFileInfo(tmp.path()).canonicalFilePath());
            if (link.contains("=>")) {
                QCOMPARE(::link(QFile::encodeName(tmp.filePath(link.section("=>", 1))).constData(),
                                QFile::encodeName(tmp.filePath(link.section("=>", 0, 0))).constData()), 0);
            } else if (link.endsWith('/')) {
                QVERIFY(dir.mkpath(link));
            } else {
                const QString name = link.section("->", 0, 0);
                QVERIFY(dir.mkpath(QFileInfo(name).path()) && QFile::link(link.section("->", 1), dir.filePath(name)));
            }
        }
        const QString folder = links.value(0).startsWith("real") ? "real" : "save";
        const QString canonical = QFileInfo(tmp.path()).canonicalFilePath();
        QCOMPARE(guardedTarget(tmp.filePath(folder + "/a.png")), target.isEmpty() ? target : canonical + '/' + target);
    }

    // Writing "a.png" into a folder: the file that ends there, its mode, and that no other file is left.
    void guardedWrites_data()
    {
        QTest::addColumn<QString>("before");  // "" nothing, "file" old bytes in mode 0600, "link" a.png -> b.png holding old bytes
        QTest::addColumn<bool>("writes");     // whether writing the content succeeds
        QTest::addColumn<QByteArray>("after"); // bytes of the file a.png leads to
        QTest::newRow("new file") << "" << true << QByteArray("new");
        QTest::newRow("replaced file keeps its mode") << "file" << true << QByteArray("new");
        QTest::newRow("through a link") << "link" << true << QByteArray("new");
        QTest::newRow("failed new file") << "" << false << QByteArray();
        QTest::newRow("failed replacement") << "file" << false << QByteArray("old");
    }

    void guardedWrites()
    {
        QFETCH(QString, before);
        QFETCH(bool, writes);
        QFETCH(QByteArray, after);
        QTemporaryDir tmp;
        const QString path = tmp.filePath("a.png");
        QFile old(tmp.filePath(before == "link" ? "b.png" : "a.png"));
        QVERIFY(before.isEmpty() || (old.open(QIODevice::WriteOnly) && old.write("old") == 3));
        old.close();
        QVERIFY(before != "file" || old.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(before != "link" || QFile::link("b.png", path));
        const bool written = writeGuardedFile(path, [writes](QIODevice *device) { return device->write("new") == 3 && writes; });
        QCOMPARE(written, writes);
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), after);
        QCOMPARE(QFileInfo(path).isSymLink(), before == "link");
        if (before == "file")
            QCOMPARE(file.permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
                     QFile::ReadOwner | QFile::WriteOwner);
        const QStringList expected = before == "link" ? QStringList{"a.png", "b.png"} : QStringList{"a.png"};
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), after.isEmpty() ? QStringList() : expected);
    }

    // A held save folder is written into even when its name is given to a link out meanwhile.
    void heldFolder_data()
    {
        QTest::addColumn<QString>("change"); // what happens to "save" once held
        QTest::addColumn<QString>("lands");  // where a.png and log.txt go, empty when nowhere
        QTest::newRow("left alone") << "" << "save";
        QTest::newRow("renamed, a link out in its place") << "link" << "save.old";
        QTest::newRow("renamed, a folder in its place") << "folder" << "save.old";
        QTest::newRow("removed") << "remove" << "";
    }

    void heldFolder()
    {
        QFETCH(QString, change);
        QFETCH(QString, lands);
        QTemporaryDir tmp;
        QDir dir(tmp.path());
        QVERIFY(dir.mkpath("save") && dir.mkpath("outside"));
        const HeldFolder held(dir.filePath("save"));
        QVERIFY(held.isOpen() && !held.ignoresLetterCase());
        if (change == "remove")
            QVERIFY(dir.rmdir("save"));
        else if (!change.isEmpty())
            QVERIFY(dir.rename("save", "save.old") && (change == "link" ? QFile::link("outside", dir.filePath("save")) : dir.mkdir("save")));
        QCOMPARE(writeGuardedFile(dir.filePath("save/a.png"), [](QIODevice *device) { return device->write("new") == 3; }),
                 !lands.isEmpty());
        GuardedLineFile log;
        QCOMPARE(log.append(dir.filePath("save/log.txt")) && log.write("line\n") && log.close(), !lands.isEmpty());
        QCOMPARE(guardedTarget(dir.filePath("save/a.png")),
                 lands.isEmpty() ? QString() : QFileInfo(dir.filePath(lands)).canonicalFilePath() + "/a.png");
        for (const QString folder : {"save", "save.old", "outside"}) {
            QCOMPARE(QFile::exists(dir.filePath(folder + "/a.png")), folder == lands);
            QCOMPARE(QFile::exists(dir.filePath(folder + "/log.txt")), folder == lands);
        }
    }

    // A clean run's log goes only when it made it and no other run wrote into it or holds it.
    void logRemoval_data()
    {
        QTest::addColumn<QString>("other"); // what another run does with the log
        QTest::addColumn<bool>("removed");
        QTest::newRow("alone") << "" << true;
        QTest::newRow("another holds it") << "holds" << false;
        QTest::newRow("another wrote and closed") << "wrote" << false;
        QTest::newRow("made by an earlier run") << "earlier" << false;
    }

    void logRemoval()
    {
        QFETCH(QString, other);
        QFETCH(bool, removed);
        QTemporaryDir tmp;
        const QString path = tmp.filePath("error_log.txt");
        QVERIFY(other != "earlier" || QFile(path).open(QIODevice::WriteOnly));
        RunErrorLog log;
        QVERIFY(log.open(path) && log.writeLine("heading\n"));
        GuardedLineFile second;
        QVERIFY(other.isEmpty() || other == "earlier" || (second.append(path) && !second.created()));
        QVERIFY(other != "wrote" || (second.write("failure\n") && second.close()));
        QVERIFY(log.close());
        log.remove();
        QCOMPARE(QFile::exists(path), !removed);
        if (other == "wrote")
            QCOMPARE(readFile(path), QByteArray("heading\nfailure\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "test_common.moc"
