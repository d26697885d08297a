// SPDX-License-Identifier: MIT
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace velmora::linux_impl {

// Code page 932 (Windows' Shift-JIS, NEC and IBM extensions included) to UTF-8 through the
// C library's iconv. One conversion state, reused: a list file asks for each item.
class Cp932Decoder {
  public:
    Cp932Decoder();
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    // Nothing when the bytes are no complete text in code page 932, or when the C library
    // has no converter for it.
    std::optional<std::string> ToUtf8(std::string_view bytes);

  private:
    iconv_t cd_;
};

} // namespace velmora::linux_impl
