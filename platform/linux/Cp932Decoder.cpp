// SPDX-License-Identifier: MIT
#include "Cp932Decoder.h"

#include <cerrno>

namespace velmora::linux_impl {

namespace {
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
} // namespace

Cp932Decoder::Cp932Decoder() : cd_(::iconv_open("UTF-8", "CP932")) {}

Cp932Decoder::~Cp932Decoder() {
    if (cd_ != kNoConverter)
        ::iconv_close(cd_);
}

std::optional<std::string> Cp932Decoder::ToUtf8(std::string_view bytes) {
    if (cd_ == kNoConverter)
        return std::nullopt;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    // A two-byte character becomes at most three bytes, a one-byte one at most three (the
    // half-width katakana): three per byte always suffices.
    std::string out(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    if (::iconv(cd_, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt; // EILSEQ: no character; EINVAL: a cut one
    if (::iconv(cd_, nullptr, nullptr, &to, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace velmora::linux_impl
