// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::linux_impl {

// The folder of the running program file, read from exeLink (the kernel's link to it), with
// no trailing "/" except for "/". A name the program's text cannot carry unchanged (bytes
// that are no valid UTF-8) is never replaced by another folder: it throws 52, and the
// description names the folder with such bytes written as \xHH.
QString ProgramFolder(const QByteArray& exeLink = QByteArrayLiteral("/proc/self/exe"));

// The bytes of a file name as text for a message: valid UTF-8 as it is, other bytes as \xHH.
QString ReadableName(const QByteArray& name);

} // namespace velmora::linux_impl
