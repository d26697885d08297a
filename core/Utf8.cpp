// SPDX-License-Identifier: MIT
#include "Utf8.h"

#include <cstdint>
#include <cstring>

namespace velmora {

bool IsValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = s + text.size();
    while (s < end) {
        const unsigned char c = *s;
        if (c < 0x80) {
            // Runs of ASCII, sixteen bytes at a time where they are aligned with nothing.
            while (end - s >= 16) {
                std::uint64_t block[2];
                std::memcpy(block, s, 16);
                if (((block[0] | block[1]) & 0x8080808080808080ull) != 0)
                    break;
                s += 16;
            }
            while (s < end && *s < 0x80)
                ++s;
            continue;
        }
        // Three-byte characters without a restricted second byte (most of Japanese text):
        // only the two continuation bytes are checked.
        if (c >= 0xE1 && c <= 0xEF && c != 0xED && end - s >= 3) {
            if ((s[1] & 0xC0) != 0x80 || (s[2] & 0xC0) != 0x80)
                return false;
            s += 3;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0; // no overlong forms
            else if (c == 0xED)
                high = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // nothing past U+10FFFF
        } else {
            return false;
        }
        if (end - s < length || s[1] < low || s[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if (s[i] < 0x80 || s[i] > 0xBF)
                return false;
        }
        s += length;
    }
    return true;
}

} // namespace velmora
