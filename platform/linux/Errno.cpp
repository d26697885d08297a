#include "Errno.h"

namespace velmora::linux_impl {

PlatformError ErrorFromErrno(int, const QString&) { return PlatformError(Err::NotSupported); }

} // namespace velmora::linux_impl
