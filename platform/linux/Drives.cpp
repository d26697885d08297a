#include "Drives.h"

#include "PlatformError.h"

namespace velmora::linux_impl {

Drives::Drives(QString mountInfoPath, QString sysfsRoot)
    : mountInfoPath_(std::move(mountInfoPath)), sysfsRoot_(std::move(sysfsRoot)) {}

QList<DriveInfo> Drives::List() const { return {{QStringLiteral("/ [root]"), QStringLiteral("/")}}; }
DriveInfo Drives::DriveOf(const QString&) const { return List().front(); }
DriveInfo Drives::ByName(const QString&) const { return List().front(); }
int Drives::TypeOf(const QString&) const { return DriveType::Fixed; }

QStringList ListSubfolders(const QString&) { return {}; }
QStringList ListFiles(const QString&, const QStringList&) { return {}; }

} // namespace velmora::linux_impl
