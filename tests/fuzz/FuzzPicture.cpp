// SPDX-License-Identifier: MIT
// libFuzzer entry: the picture path on a file holding the input.
#include "FuzzChecks.h"

#include <QDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The input lives in one memory file, reached by path as a real file would be; the bitmap
// is written into a scratch folder, on tmpfs where there is one.
int inputFd = -1;
QString* inputPath = nullptr;
QString* scratch = nullptr;

void RemoveScratch() {
    if (scratch)
        QDir(*scratch).removeRecursively();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    inputFd = memfd_create("velmora-fuzz-picture", MFD_CLOEXEC);
    velmora::fuzz::Require(inputFd >= 0, "memfd_create");
    inputPath = new QString(QStringLiteral("/proc/self/fd/%1").arg(inputFd));
    const char* tmp = std::getenv("TMPDIR");
    QByteArray pattern = QDir(QStringLiteral("/dev/shm")).exists() && access("/dev/shm", W_OK) == 0
                             ? QByteArray("/dev/shm")
                             : QByteArray(tmp && *tmp ? tmp : "/tmp");
    pattern += "/velmora-fuzz-picture.XXXXXX";
    velmora::fuzz::Require(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    scratch = new QString(QString::fromLocal8Bit(pattern));
    std::atexit(RemoveScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velmora::fuzz::Require(ftruncate(inputFd, 0) == 0 &&
                               pwrite(inputFd, data, size, 0) == ssize_t(size),
                           "writing the input");
    velmora::fuzz::CheckPicture(*inputPath, *scratch);
    return 0;
}
