#include "Files.h"

#include "PlatformError.h"

namespace velmora::linux_impl {

// Placeholders until the real file services land.
void MakeFolder(const QString&) { throw PlatformError(Err::NotSupported); }
void CopyFileReplacing(const QString&, const QString&) { throw PlatformError(Err::NotSupported); }
void DeleteFile(const QString&) { throw PlatformError(Err::NotSupported); }
QByteArray ReadWholeFile(const QString&) { throw PlatformError(Err::NotSupported); }
void WriteFileAtomically(const QString&, const QByteArray&) {
    throw PlatformError(Err::NotSupported);
}
void RemoveTemporaryFiles(const QString&) {}
bool FileExists(const QString&) { return false; }
QString ResolvePath(const QString& path) { return path; }

} // namespace velmora::linux_impl
