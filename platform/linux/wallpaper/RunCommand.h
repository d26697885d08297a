// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velmora::linux_impl {

// Runs a desktop's own tool with an argument list (never through a shell) and waits at
// most timeoutMs. A missing program, a time-out or a failing exit throws PlatformError
// with a Japanese description naming the program. Returns its standard output.
QByteArray RunCommand(const QString& program, const QStringList& arguments, int timeoutMs = 10000);

// Starts a program that keeps running after this one ends (such as a wallpaper daemon).
// Its error output goes to errorFile when one is named, and is dropped otherwise.
// Returns its process id; throws PlatformError when it cannot be started.
qint64 StartDetached(const QString& program, const QStringList& arguments,
                     const QString& errorFile = QString());

} // namespace velmora::linux_impl
