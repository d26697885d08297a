#pragma once

#include "Platform.h"

namespace velmora::linux_impl {

// The machine's volumes, read from the mount table and sysfs. Both locations can be
// given so that tests describe any machine.
class Drives {
public:
    Drives(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
           QString sysfsRoot = QStringLiteral("/sys"));

    QList<DriveInfo> List() const;
    DriveInfo DriveOf(const QString& folder) const;
    DriveInfo ByName(const QString& name) const;
    int TypeOf(const QString& root) const;

private:
    QString mountInfoPath_;
    QString sysfsRoot_;
};

QStringList ListSubfolders(const QString& folder);
QStringList ListFiles(const QString& folder, const QStringList& patterns);

} // namespace velmora::linux_impl
