// SPDX-License-Identifier: MIT
// Kills the kill driver (velmora-kill-driver) with SIGKILL at random moments while it
// registers and removes pictures, VELMORA_STRESS_KILLS times (200 unless set). After every
// kill the list file must hold exactly the content before or after the write that was under
// way, read without error, and name only complete copies in Pic/; the next start must
// remove every temporary file the killed run left. VELMORA_STRESS_SEED repeats a run.
#include "ListFileFormat.h"
#include "QtEntries.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace velmora;
using velmora::test::ParseBytes;

namespace {

constexpr int kDefaultKills = 200;
constexpr int kStartDeadlineMs = 60000;
constexpr int kMaxDelayMs = 60;       // after "ready": a few registrations and removals
constexpr int kEarlyKillPercent = 10; // kills during the start itself

QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QSet<QString> TemporaryFiles(const QString& folder) {
    QSet<QString> names;
    for (const QString& name : QDir(folder).entryList({QStringLiteral(".velmora-tmp-*")},
                                                      QDir::Files | QDir::Hidden | QDir::System))
        names.insert(folder + u'/' + name);
    return names;
}

struct Figures {
    int kills = 0;
    int killedInStart = 0;
    int listBefore = 0;    // the interrupted write had not replaced the list yet
    int listAfter = 0;     // the last logged write was complete
    int leftTemporary = 0; // the kill left temporary files behind
    int temporaryRemoved = 0;
    qint64 listWrites = 0;
};

} // namespace

class KillStressTest : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString app_;
    QString log_;
    QStringList sources_;
    QHash<QString, QByteArray> sourceBytes_;

    // What the list file must look like after a kill, or an empty string when it does.
    QString CheckAfterKill(Figures& figures) {
        const QList<QByteArray> lines = Bytes(log_).split('\n');
        // The last piece follows the last complete line: a record cut by the kill, or nothing.
        QByteArray now = "-", next = "-";
        if (lines.size() >= 2) {
            const QList<QByteArray> fields = lines[lines.size() - 2].split(' ');
            if (fields.size() != 2)
                return QStringLiteral("unreadable log line");
            now = fields[0];
            next = fields[1];
        }
        figures.listWrites = lines.size() - 1;
        const QString listPath = app_ + QStringLiteral("/Kabegamilist.def");
        const bool exists = QFile::exists(listPath);
        const QByteArray bytes = Bytes(listPath);
        const QByteArray actual = exists ? Digest(bytes) : QByteArray("-");
        if (actual == next)
            ++figures.listAfter;
        else if (actual == now)
            ++figures.listBefore;
        else
            return QStringLiteral("the list file is neither the old nor the new content:\n") +
                   QString::fromUtf8(bytes);
        if (!exists)
            return {};
        const ListFileContent content = ParseBytes(bytes);
        if (content.ErrorNumber != 0)
            return QStringLiteral("the list file reads with error %1").arg(content.ErrorNumber);
        for (const KabegamiEntryView entry : content.Entries) {
            const QString folder = FromUtf8(entry.Folder);
            const QString name = FromUtf8(entry.FileName);
            const QString path = FromUtf8(entry.KabegamiPath);
            const auto source = sourceBytes_.constFind(folder + name);
            if (source == sourceBytes_.constEnd())
                return QStringLiteral("an entry names no source picture: ") + folder + name;
            if (entry.CopiedToPic != "1")
                continue;
            // A copy is written before its entry and deleted after its removal is on disk.
            if (path != app_ + QStringLiteral("/Pic/") + name)
                return QStringLiteral("a copy outside Pic/: ") + path;
            if (Bytes(path) != *source)
                return QStringLiteral("a listed copy is missing or incomplete: ") + path;
        }
        return {};
    }

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        app_ = tmp_.path() + QStringLiteral("/app");
        log_ = tmp_.path() + QStringLiteral("/writes.log");
        QVERIFY(QDir().mkpath(app_));
        // Pictures big enough that some kills land inside a copy.
        int n = 0;
        for (const char* folder : {"usb/photos", "usb/more"}) {
            const QString path = tmp_.path() + u'/' + QLatin1String(folder) + u'/';
            QVERIFY(QDir().mkpath(path));
            sources_ << path;
            for (int i = 0; i < 6; ++i, ++n) {
                QImage image(320, 240, QImage::Format_RGB32);
                image.fill(QColor::fromHsv(n * 29 % 360, 200, 200));
                const QString file = path + QStringLiteral("picture%1.bmp").arg(n);
                QVERIFY(image.save(file, "BMP"));
                sourceBytes_.insert(file, Bytes(file));
            }
        }
    }

    void killsLeaveOneOfTwoListsAndNoTemporaryFiles() {
        bool isNumber = false;
        int kills = qEnvironmentVariableIntValue("VELMORA_STRESS_KILLS", &isNumber);
        if (!isNumber || kills <= 0)
            kills = kDefaultKills;
        quint32 seed = quint32(qEnvironmentVariableIntValue("VELMORA_STRESS_SEED", &isNumber));
        if (!isNumber)
            seed = QRandomGenerator::system()->generate();
        qInfo("kills: %d, seed: %u (VELMORA_STRESS_SEED repeats this run)", kills, seed);
        QRandomGenerator random(seed);

        Figures figures;
        QSet<QString> leftovers; // what the next complete start must remove
        for (int i = 0; i < kills; ++i) {
            QProcess driver;
            driver.setProgram(QStringLiteral(VELMORA_KILL_DRIVER));
            QStringList args{app_, log_, QString::number(random.generate())};
            driver.setArguments(args + sources_);
            driver.start();
            QVERIFY2(driver.waitForStarted(kStartDeadlineMs), qPrintable(driver.errorString()));

            const bool early = int(random.bounded(100)) < kEarlyKillPercent;
            if (early) {
                QThread::usleep(random.bounded(50000));
                ++figures.killedInStart;
            } else {
                QByteArray out;
                while (!out.contains("ready\n")) {
                    if (!driver.waitForReadyRead(kStartDeadlineMs))
                        QFAIL(qPrintable(
                            QStringLiteral("the driver did not start (kill %1): %2")
                                .arg(i)
                                .arg(QString::fromLocal8Bit(driver.readAllStandardError()))));
                    out += driver.readAllStandardOutput();
                }
                for (const QString& name : std::as_const(leftovers))
                    QVERIFY2(!QFile::exists(name), qPrintable(name + " survived the next start"));
                figures.temporaryRemoved += int(leftovers.size());
                leftovers.clear();
                QThread::usleep(random.bounded(kMaxDelayMs * 1000));
            }
            QVERIFY2(driver.state() == QProcess::Running,
                     qPrintable(QStringLiteral("the driver ended by itself (kill %1): %2")
                                    .arg(i)
                                    .arg(QString::fromLocal8Bit(driver.readAllStandardError()))));
            ::kill(pid_t(driver.processId()), SIGKILL);
            QVERIFY(driver.waitForFinished(kStartDeadlineMs));
            QCOMPARE(driver.exitStatus(), QProcess::CrashExit);
            ++figures.kills;

            const QString problem = CheckAfterKill(figures);
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("kill %1: ").arg(i) + problem));
            const QSet<QString> left = TemporaryFiles(app_) + TemporaryFiles(app_ + "/Pic");
            if (!left.isEmpty())
                ++figures.leftTemporary;
            leftovers += left;
        }
        qInfo("kills survived: %d (%d during the start); list writes logged: %lld; list found "
              "as before the write under way: %d, as after it: %d; kills leaving temporary "
              "files: %d; temporary files removed by the next start: %d",
              figures.kills, figures.killedInStart, figures.listWrites, figures.listBefore,
              figures.listAfter, figures.leftTemporary, figures.temporaryRemoved);
        // A kill between a copy and its entry, or between a removal and its copy's deletion,
        // leaves a copy that no entry names: space, not data; the next copy of that name
        // replaces it.
        QSet<QString> named;
        for (const KabegamiEntryView entry :
             ParseBytes(Bytes(app_ + QStringLiteral("/Kabegamilist.def"))).Entries)
            named.insert(FromUtf8(entry.KabegamiPath));
        int unnamed = 0;
        for (const QString& name : QDir(app_ + QStringLiteral("/Pic")).entryList(QDir::Files))
            unnamed += named.contains(app_ + QStringLiteral("/Pic/") + name) ? 0 : 1;
        qInfo("copies in Pic/ that no entry names at the end: %d", unnamed);
        // A run that never wrote the list proves nothing.
        QVERIFY(figures.listWrites > 0);
    }
};

QTEST_GUILESS_MAIN(KillStressTest)
#include "KillStressTest.moc"
