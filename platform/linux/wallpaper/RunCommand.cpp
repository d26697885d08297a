// SPDX-License-Identifier: MIT
#include "RunCommand.h"

#include "PlatformError.h"

#include <QProcess>
#include <QStandardPaths>

namespace velmora::linux_impl {

namespace {
PlatformError Missing(const QString& program) {
    return PlatformError(
        Err::NotSupported,
        QStringLiteral("壁紙の設定に必要なプログラム %1 が見つかりません。").arg(program));
}
} // namespace

QByteArray RunCommand(const QString& program, const QStringList& arguments, int timeoutMs) {
    if (QStandardPaths::findExecutable(program).isEmpty() && !program.contains(u'/'))
        throw Missing(program);
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(timeoutMs))
        throw Missing(program);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        throw PlatformError(Err::DeviceIO,
                            QStringLiteral("%1 が時間内に終わりませんでした。").arg(program));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString detail = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        throw PlatformError(
            Err::DeviceIO,
            QStringLiteral("%1 が壁紙を設定できませんでした。%2").arg(program, detail.left(200)));
    }
    return process.readAllStandardOutput();
}

qint64 StartDetached(const QString& program, const QStringList& arguments,
                     const QString& errorFile) {
    if (QStandardPaths::findExecutable(program).isEmpty() && !program.contains(u'/'))
        throw Missing(program);
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(errorFile.isEmpty() ? QProcess::nullDevice() : errorFile);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        throw Missing(program);
    return pid;
}

} // namespace velmora::linux_impl
