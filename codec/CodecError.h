// SPDX-License-Identifier: MIT
#pragma once

#include <exception>

namespace velmora::codec {

// Why the codec refused a picture, with the classic error number that reports it.
enum class CodecFault {
    InvalidPicture, // 481: not a picture this program can read, or damaged
    TooLarge,       // 7: too large to hold
};

class CodecError : public std::exception {
  public:
    explicit CodecError(CodecFault fault) : fault_(fault) {}

    CodecFault Fault() const { return fault_; }
    int Number() const { return fault_ == CodecFault::TooLarge ? 7 : 481; }
    const char* what() const noexcept override;

  private:
    CodecFault fault_;
};

[[noreturn]] void ThrowInvalid();
[[noreturn]] void ThrowTooLarge();

} // namespace velmora::codec
