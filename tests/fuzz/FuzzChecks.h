// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <string_view>

// The properties the fuzz targets check, callable without libFuzzer so that the corpus and
// every reproducer also run as an ordinary test. A broken property aborts the process.
namespace velmora::fuzz {

// Reads bytes as a list file: never fails other than with 62, and whatever it reads can be
// written and read back unchanged.
void CheckListReader(std::string_view bytes);

// Turns bytes into a header and entries: the writer either refuses a field it cannot store
// (52) or writes a file that reads back exactly as given.
void CheckListRoundTrip(std::string_view bytes);

// Runs a picture file through the header check, the bitmap writer and the preview: they
// either work or refuse with 481 or 7, leaving no temporary file behind. Pictures of more
// than kMaxCheckedPixels are only header-checked: above it the writer only moves more bytes
// through the same paths (three 1 MiB bands already at 1 megapixel). scratch is an empty
// folder.
inline constexpr long long kMaxCheckedPixels = 1LL << 20;
void CheckPicture(const QString& picturePath, const QString& scratch);

// Aborts with message when condition is false; kept in release builds.
void Require(bool condition, const char* message);

} // namespace velmora::fuzz
