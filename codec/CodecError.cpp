// SPDX-License-Identifier: MIT
#include "CodecError.h"

namespace velmora::codec {

const char* CodecError::what() const noexcept {
    return fault_ == CodecFault::TooLarge ? "picture too large" : "invalid picture";
}

void ThrowInvalid() {
    throw CodecError(CodecFault::InvalidPicture);
}

void ThrowTooLarge() {
    throw CodecError(CodecFault::TooLarge);
}

} // namespace velmora::codec
