// SPDX-License-Identifier: MIT
#pragma once

#include "ByteSeams.h"
#include "Handle.h"

#include <cstdint>
#include <string>

namespace velmora::windows_impl {

// New content for a file, written into a temporary file beside it (kTemporaryPrefix) and
// put in place by one rename, so the file holds either its old or its new content. Until
// Commit succeeds the old file is never touched; a failed or abandoned replacement removes
// its temporary file.
class AtomicReplace : public codec::ByteSink {
  public:
    // Creates the temporary file in target's folder; throws the mapped error.
    explicit AtomicReplace(const std::wstring& target);
    ~AtomicReplace() override;
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    void Write(const void* data, int64_t size) override;
    void WriteAt(int64_t offset, const void* data, int64_t size) override;
    // Claims the final size on the disk first, so that a full disk fails at once.
    void Reserve(int64_t size) override;
    // Flushes to the disk, closes and renames over the target.
    void Commit() override;
    // As Commit, but never replaces anything at the target's name: false when something is
    // there, and the replacement is then abandoned when this object goes.
    bool CommitIfAbsent();

  private:
    [[noreturn]] void Fail(unsigned long win32Error);
    void Flush();

    std::wstring target_;
    std::wstring temporary_;
    Handle file_;
    int64_t position_ = 0;
    bool committed_ = false;
};

} // namespace velmora::windows_impl
