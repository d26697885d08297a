#include "InstanceLock.h"

#include <QDir>
#include <QLockFile>

namespace velmora::linux_impl {

InstanceLock::InstanceLock(QString lockPath) : path_(std::move(lockPath)) {}
InstanceLock::~InstanceLock() = default;

bool InstanceLock::HeldByAnother() { return false; }

QString DefaultInstanceLockPath() { return QDir::tempPath() + QStringLiteral("/velmora.lock"); }

} // namespace velmora::linux_impl
