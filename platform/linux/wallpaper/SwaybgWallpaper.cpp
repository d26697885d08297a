// SPDX-License-Identifier: MIT
#include "SwaybgWallpaper.h"

#include "PlatformError.h"
#include "RunCommand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <csignal>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

constexpr int kLeastWaitMs = 300;
constexpr int kMostWaitMs = 3000;
constexpr int kPollMs = 25;

QByteArray ReadProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ProcessState {
    char state = 0;
    quint64 cpuTime = 0;
    quint64 startTime = 0;
};

// The state, CPU time and start time of pid from /proc/<pid>/stat.
std::optional<ProcessState> StateOf(qint64 pid) {
    const QByteArray stat = ReadProcFile(pid, "stat");
    // The name in parentheses may hold spaces; the fields after it are plain.
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // fields[0] is field 3 (state); utime, stime and starttime are fields 14, 15 and 22.
    if (fields.size() < 20 || fields[0].isEmpty())
        return std::nullopt;
    ProcessState result;
    result.state = fields[0].at(0);
    result.cpuTime = fields[11].toULongLong() + fields[12].toULongLong();
    result.startTime = fields[19].toULongLong();
    return result;
}

bool Alive(const std::optional<ProcessState>& state) {
    return state && state->state != 'Z' && state->state != 'X';
}

bool IsSwaybg(qint64 pid) {
    return ReadProcFile(pid, "comm").trimmed() == "swaybg";
}

// Waits until the swaybg just started has had time to draw: it is alive, has run for a
// moment, and sits idle waiting for the compositor. False when it has ended instead.
bool WaitUntilDrawn(qint64 pid) {
    QElapsedTimer clock;
    clock.start();
    std::optional<quint64> lastCpu;
    int idlePolls = 0;
    for (;;) {
        const std::optional<ProcessState> state = StateOf(pid);
        if (!Alive(state))
            return false;
        if (state->state == 'S' && lastCpu && *lastCpu == state->cpuTime)
            ++idlePolls;
        else
            idlePolls = 0;
        lastCpu = state->cpuTime;
        if (clock.elapsed() >= kLeastWaitMs && idlePolls >= 2)
            return true;
        if (clock.elapsed() >= kMostWaitMs)
            return true; // still busy (a huge picture): better late than never replaced
        QThread::msleep(kPollMs);
    }
}

QString SocketOf(const QString& runtimeDir, const QString& display) {
    if (display.startsWith(u'/'))
        return display;
    return QDir(runtimeDir.isEmpty() ? QStringLiteral("/") : runtimeDir)
        .filePath(display.isEmpty() ? QStringLiteral("wayland-0") : display);
}

// The Wayland socket the process pid talks to, read from its environment.
QString WaylandSocketOf(qint64 pid) {
    QString runtimeDir, display;
    for (const QByteArray& entry : ReadProcFile(pid, "environ").split('\0')) {
        if (entry.startsWith("XDG_RUNTIME_DIR="))
            runtimeDir = QFile::decodeName(entry.mid(16));
        else if (entry.startsWith("WAYLAND_DISPLAY="))
            display = QFile::decodeName(entry.mid(16));
    }
    return SocketOf(runtimeDir, display);
}

// The other swaybg processes of this user drawing on this session's screens: a wallpaper
// the session started, or the one this program left at its last run. A newer swaybg is
// drawn below them, so they must end for the picture to show.
QList<qint64> OtherSwaybgOfThisSession(qint64 except) {
    const QString ours =
        SocketOf(qEnvironmentVariable("XDG_RUNTIME_DIR"), qEnvironmentVariable("WAYLAND_DISPLAY"));
    QList<qint64> result;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == except || !IsSwaybg(pid))
            continue;
        if (QFileInfo(QStringLiteral("/proc/%1").arg(pid)).ownerId() != ::getuid())
            continue;
        if (!Alive(StateOf(pid)) || WaylandSocketOf(pid) != ours)
            continue;
        result << pid;
    }
    return result;
}

} // namespace

void SwaybgWallpaper::Set(const QString& bmpPath, int flags) {
    // swaybg draws for the running session only; nothing on these compositors stores a
    // wallpaper that the program may change, so flags 3 at the end shows the picture as 0
    // does, and the swaybg left running keeps it.
    Q_UNUSED(flags);
    QStringList arguments{QStringLiteral("-o"), QStringLiteral("*")};
    if (bmpPath.isEmpty()) {
        arguments << QStringLiteral("-c") << QStringLiteral("#000000");
    } else {
        if (!QFileInfo::exists(bmpPath))
            throw PlatformError(Err::FileNotFound);
        // swaybg reads the file when it starts, so the same name shows the new picture.
        arguments << QStringLiteral("-i") << QFileInfo(bmpPath).absoluteFilePath()
                  << QStringLiteral("-m") << QStringLiteral("fill");
    }
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        throw PlatformError(
            Err::NotSupported,
            QStringLiteral("Wayland のセッションが見つからないため、壁紙を設定できません。"));

    // What swaybg says while it starts tells whether it could read the picture: it keeps
    // running without drawing when it cannot. The file is removed once read; swaybg may go
    // on writing to it unseen.
    QTemporaryFile messages(QDir::temp().filePath(QStringLiteral("velmora-swaybg-XXXXXX")));
    if (!messages.open())
        throw PlatformError(Err::DeviceIO);
    const qint64 pid = StartDetached(QStringLiteral("swaybg"), arguments, messages.fileName());
    const std::optional<ProcessState> started = StateOf(pid);
    const bool drawn = WaitUntilDrawn(pid);
    const QString said = QString::fromLocal8Bit(messages.readAll());
    messages.remove();
    if (!drawn)
        throw PlatformError(Err::DeviceIO, QStringLiteral("swaybg が壁紙を表示できませんでした。%1")
                                               .arg(said.trimmed().section(u'\n', -1).left(200)));
    if (said.contains(QLatin1String("Failed to load"))) {
        ::kill(static_cast<pid_t>(pid), SIGTERM); // draws nothing: the old one stays
        throw PlatformError(Err::InvalidPicture,
                            QStringLiteral("swaybg が壁紙の画像 %1 を読めませんでした。")
                                .arg(QFileInfo(bmpPath).fileName()));
    }

    if (firstStep_) {
        for (const qint64 other : OtherSwaybgOfThisSession(pid))
            ::kill(static_cast<pid_t>(other), SIGTERM);
        firstStep_ = false;
    } else if (shown_.pid > 0) {
        // Only the swaybg this object started: the pid may belong to another process now.
        const std::optional<ProcessState> state = StateOf(shown_.pid);
        if (Alive(state) && state->startTime == shown_.startTime && IsSwaybg(shown_.pid))
            ::kill(static_cast<pid_t>(shown_.pid), SIGTERM);
    }
    shown_ = {pid, started ? started->startTime : 0};
}

} // namespace velmora::linux_impl
