#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::linux_impl {

// The prefix of every temporary file an atomic write leaves behind when it is killed.
inline constexpr const char* kTemporaryPrefix = ".velmora-tmp-";

void MakeFolder(const QString& path);
void CopyFileReplacing(const QString& source, const QString& target);
void DeleteFile(const QString& path);
QByteArray ReadWholeFile(const QString& path);
void WriteFileAtomically(const QString& path, const QByteArray& data);
void RemoveTemporaryFiles(const QString& folder);
bool FileExists(const QString& path);
QString ResolvePath(const QString& path);

} // namespace velmora::linux_impl
