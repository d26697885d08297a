// SPDX-License-Identifier: MIT
#pragma once

#include "ByteSeams.h"
#include "PosixFile.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace velmora::linux_impl {

// New content for a file, written into a temporary file beside it (kTemporaryPrefix) and
// put in place by one rename, so the file holds either its old or its new content. Until
// Commit succeeds the old file is never touched; a failed or abandoned replacement removes
// its temporary file.
class AtomicReplace : public codec::ByteSink {
  public:
    // Creates the temporary file in target's folder; throws the mapped error for target.
    explicit AtomicReplace(const QString& target);
    ~AtomicReplace() override;
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(const void* data, std::int64_t size) override;
    // Writes at a given place, for files whose parts are written out of order.
    void WriteAt(std::int64_t offset, const void* data, std::int64_t size) override;
    // Claims the file's final size on the disk first, so that a full disk fails at once.
    void Reserve(std::int64_t size) override;
    // Copies inside the kernel from a picture file; nothing from other sources.
    std::int64_t CopyFrom(codec::ByteSource& source, std::int64_t from, std::int64_t at,
                          std::int64_t len) override;
    // Flushes to the disk, closes, renames over the target and flushes the folder.
    void Commit() override;
    // As Commit, but never replaces anything at the target's name: false when something is
    // there, and the replacement is then abandoned when this object goes.
    bool CommitIfAbsent();
    // Abandons the replacement and throws the error errno err means for the target.
    [[noreturn]] void Fail(int err);

  private:
    void Flush();
    QString target_;
    QByteArray targetName_;
    QByteArray folderName_;
    QByteArray temporaryName_;
    FileDescriptor fd_;
    bool committed_ = false;
};

} // namespace velmora::linux_impl
