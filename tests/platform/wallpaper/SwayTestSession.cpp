// SPDX-License-Identifier: MIT
#include "SwayTestSession.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr const char* kUser = "velmora-sway-test";

bool Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

SwayTestSession::~SwayTestSession() {
    Stop();
}

QString SwayTestSession::Start(const QString& config) {
    for (const char* tool : {"sway", "swaymsg", "grim", "swaybg"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (Debian packages sway, swaybg, grim)")
                .arg(QLatin1String(tool));
    }
    if (!dir_.isValid())
        return QStringLiteral("no temporary folder");
    const bool root = ::getuid() == 0;
    uid_t uid = ::getuid();
    gid_t gid = ::getgid();
    if (root) {
        // sway refuses to run as root: an unprivileged user of its own.
        if (!::getpwnam(kUser) &&
            !Run(QStringLiteral("useradd"),
                 {QStringLiteral("-M"), QStringLiteral("-r"), QStringLiteral("-s"),
                  QStringLiteral("/usr/sbin/nologin"), QString::fromLatin1(kUser)}))
            return QStringLiteral("running as root and the user %1 for sway cannot be created")
                .arg(QLatin1String(kUser));
        const passwd* user = ::getpwnam(kUser);
        if (!user)
            return QStringLiteral("the user %1 does not exist").arg(QLatin1String(kUser));
        uid = user->pw_uid;
        gid = user->pw_gid;
    }
    const QString base = dir_.path();
    const QString runtime = base + QStringLiteral("/run");
    pictures_ = base + QStringLiteral("/pictures");
    const QString configFile = base + QStringLiteral("/config");
    QDir().mkpath(runtime);
    QDir().mkpath(pictures_);
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return QStringLiteral("cannot write the sway config");
    file.close();
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(base, everyone);
    QFile::setPermissions(pictures_, everyone);
    QFile::setPermissions(configFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (::chown(QFile::encodeName(runtime).constData(), uid, gid) != 0)
        return QStringLiteral("cannot hand the runtime folder to sway's user");

    QStringList command{QStringLiteral("env"),
                        QStringLiteral("-i"),
                        QStringLiteral("PATH=/usr/local/bin:/usr/bin:/bin"),
                        QStringLiteral("HOME=") + base,
                        QStringLiteral("WLR_BACKENDS=headless"),
                        QStringLiteral("WLR_RENDERER=pixman"),
                        QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1"),
                        QStringLiteral("WLR_HEADLESS_OUTPUTS=%1").arg(kOutputs),
                        QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
                        QStringLiteral("sway"),
                        QStringLiteral("-c"),
                        configFile};
    if (root)
        command =
            QStringList{QStringLiteral("-u"), QString::fromLatin1(kUser), QStringLiteral("--")} +
            command;
    launcher_.setProcessChannelMode(QProcess::MergedChannels);
    launcher_.setStandardOutputFile(base + QStringLiteral("/sway.log"));
    launcher_.start(root ? QStringLiteral("runuser") : command.takeFirst(), command);
    if (!launcher_.waitForStarted(10000))
        return QStringLiteral("sway could not be started");

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        const QDir run(runtime);
        const QStringList sockets =
            run.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
        const QStringList displays = run.entryList({QStringLiteral("wayland-*")}, QDir::System);
        QString display;
        for (const QString& name : displays) {
            if (!name.endsWith(QLatin1String(".lock")))
                display = name;
        }
        if (!sockets.isEmpty() && !display.isEmpty()) {
            ipc_ = run.filePath(sockets.first());
            wayland_ = run.filePath(display);
            // sway-ipc.<uid>.<pid>.sock
            swayPid_ = static_cast<pid_t>(sockets.first().section(u'.', 2, 2).toLongLong());
            break;
        }
        if (launcher_.state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    if (ipc_.isEmpty()) {
        QFile log(base + QStringLiteral("/sway.log"));
        log.open(QIODevice::ReadOnly);
        return QStringLiteral("sway did not start headless: ") +
               QString::fromLocal8Bit(log.readAll().right(600));
    }
    // Ready when the outputs are there and can be read back.
    Enter();
    while (clock.elapsed() < 15000) {
        if (Grab().width() == kOutputWidth * kOutputs)
            return {};
        QThread::msleep(50);
    }
    return QStringLiteral("sway started but grim cannot read its %1 outputs").arg(kOutputs);
}

void SwayTestSession::Stop() {
    if (swayPid_ > 0) {
        ::kill(swayPid_, SIGTERM);
        swayPid_ = 0;
    }
    if (launcher_.state() != QProcess::NotRunning && !launcher_.waitForFinished(5000)) {
        launcher_.kill();
        launcher_.waitForFinished(2000);
    }
}

void SwayTestSession::Enter() const {
    qputenv("SWAYSOCK", QFile::encodeName(ipc_));
    qputenv("WAYLAND_DISPLAY", QFile::encodeName(wayland_));
}

QImage SwayTestSession::Grab() const {
    QProcess grim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland_);
    grim.setProcessEnvironment(env);
    grim.start(QStringLiteral("grim"),
               {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForFinished(10000) || grim.exitCode() != 0)
        return {};
    return QImage::fromData(grim.readAllStandardOutput(), "PPM")
        .convertToFormat(QImage::Format_RGB32);
}

bool WriteBmp(const QString& path, const QImage& picture) {
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    if (!picture.save(temporary, "BMP"))
        return false;
    QFile::setPermissions(temporary, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                         QFile::ReadOther);
    return ::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(path).constData()) == 0;
}

QImage Quarters(const QList<QColor>& colours) {
    QImage picture(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x)
            picture.setPixel(x, y, colours.at((y < 60 ? 0 : 2) + (x < 80 ? 0 : 1)).rgb());
    }
    return picture;
}

namespace {

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 &&
           qAbs(qBlue(a) - qBlue(b)) <= 8;
}

QString Hex(QRgb c) {
    return QString::number(c & 0xffffff, 16).rightJustified(6, u'0');
}

// Points well inside each quarter of each output, and the colour expected there.
QString Mismatch(const QImage& screen, const QList<QColor>& colours) {
    constexpr int w = SwayTestSession::kOutputWidth, h = SwayTestSession::kOutputHeight;
    if (screen.size() != QSize(w * SwayTestSession::kOutputs, h))
        return QStringLiteral("screen of %1x%2").arg(screen.width()).arg(screen.height());
    QString result;
    for (int output = 0; output < SwayTestSession::kOutputs; ++output) {
        for (int quarter = 0; quarter < 4; ++quarter) {
            // Near the corners: the picture fills the output without bars. (The outermost
            // pixels are blended with the edge by the scaling.)
            const QList<QPoint> points{
                {output * w + (quarter % 2 ? w * 3 / 4 : w / 4), quarter < 2 ? h / 4 : h * 3 / 4},
                {output * w + (quarter % 2 ? w - 17 : 16), quarter < 2 ? 16 : h - 17}};
            for (const QPoint& p : points) {
                const QRgb seen = screen.pixel(p);
                if (!Near(seen, colours.at(quarter).rgb()))
                    result += QStringLiteral("(%1,%2) is %3 not %4; ")
                                  .arg(p.x())
                                  .arg(p.y())
                                  .arg(Hex(seen), Hex(colours.at(quarter).rgb()));
            }
        }
    }
    return result;
}

QString WaitFor(const SwayTestSession& session, const QList<QColor>& colours, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QString last;
    do {
        last = Mismatch(session.Grab(), colours);
        if (last.isEmpty())
            return {};
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs);
    return last;
}

} // namespace

QString WaitForQuarters(const SwayTestSession& session, const QList<QColor>& colours,
                        int timeoutMs) {
    return WaitFor(session, colours, timeoutMs);
}

QString WaitForColour(const SwayTestSession& session, const QColor& colour, int timeoutMs) {
    return WaitFor(session, {colour, colour, colour, colour}, timeoutMs);
}
