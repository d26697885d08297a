// SPDX-License-Identifier: MIT
#pragma once

#include "Win32.h"
#include <utility>

namespace velmora::windows_impl {

// Owns one kernel handle; both the null handle and INVALID_HANDLE_VALUE mean none.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // False when closing failed (a write-back error may show only then).
    bool Close() {
        bool ok = true;
        if (Valid())
            ok = ::CloseHandle(handle_) != 0;
        handle_ = nullptr;
        return ok;
    }

  private:
    HANDLE handle_ = nullptr;
};

} // namespace velmora::windows_impl
