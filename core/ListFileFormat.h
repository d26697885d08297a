// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntries.h"
#include "Utf8.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class TextDecoding;

// The three header values of the list file.
struct ListHeader {
    std::string LastDrive;
    std::string LastFolder;
    std::string FileCopySetting;
};

// How the file's text was encoded. Only UTF-8 is ever written; the others come from the
// Windows form of the program (code page 932) or from a text editor (UTF-16 with its mark).
enum class ListEncoding { Utf8, Utf16LE, Utf16BE, Cp932 };

// What a read got before it stopped: the header values read so far (nullopt for those not
// reached), the complete entries, and the error that stopped it (number 0 when none; an
// empty description stands for the number's own). All text is UTF-8.
struct ListFileContent {
    std::optional<std::string> LastDrive;
    std::optional<std::string> LastFolder;
    std::optional<std::string> FileCopySetting;
    KabegamiEntries Entries;
    ListEncoding Encoding = ListEncoding::Utf8;
    int ErrorNumber = 0;
    std::string ErrorDescription;
};

// Reads the list file's items: each ends at a comma, a line end or the end of the file;
// blanks before an item are skipped; an item that begins with a double quotation mark runs
// to the next one. Three header items, then four per entry; the end of the file is looked
// for only before an entry. The text is UTF-8 when it is valid UTF-8, UTF-16 after its
// byte-order mark, and code page 932 (through legacy) otherwise; bytes that none of these
// can decode stop the read with an error rather than become replacement characters.
// Running out of memory stops it with 7 and no entries. A cut read (the bytes before a
// failing read) ends before its last delimiter, and an item that runs into its end is not
// complete. The entries of a UTF-8 file keep its bytes as their text.
ListFileContent ParseListFile(std::string bytes, TextDecoding& legacy, bool cut = false);

// Whether a field can be written so that it reads back unchanged.
bool IsStorableField(std::string_view field);

// The whole file, CR LF after every line. Fields that the reader would split or trim are
// written in double quotation marks. Throws PlatformError (52) when a field cannot be
// stored; nothing is written then.
std::string FormatListFile(const ListHeader& header, const KabegamiEntries& entries);

} // namespace velmora
