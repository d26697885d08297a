// SPDX-License-Identifier: MIT
#include "MountTableWatcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {
bool SameDrives(const QList<Volume>& a, const QList<Volume>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Volume& x, const Volume& y) {
        return x.name == y.name && x.root == y.root;
    });
}
} // namespace

MountTableWatcher::MountTableWatcher(const QString& mountInfoPath,
                                     std::function<QList<Volume>()> listDrives, QObject* parent)
    : MountWatcher(parent), listDrives_(std::move(listDrives)), seen_(listDrives_()) {
    fd_ = ::open(QFile::encodeName(mountInfoPath).constData(), O_RDONLY | O_CLOEXEC);
    // Without the table the drive list stays as it is: the window reopened still shows news.
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, &MountTableWatcher::Check);
}

MountTableWatcher::~MountTableWatcher() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void MountTableWatcher::Check() {
    QList<Volume> now = listDrives_();
    if (SameDrives(now, seen_))
        return;
    seen_ = std::move(now);
    Q_EMIT Changed();
}

} // namespace velmora::linux_impl
