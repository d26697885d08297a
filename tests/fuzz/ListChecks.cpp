// SPDX-License-Identifier: MIT
#include "FuzzChecks.h"

#include "Cp932Decoder.h"
#include "ListFileFormat.h"
#include "PlatformError.h"
#include "SystemServices.h"

#include <algorithm>
#include <vector>

namespace velmora::fuzz {

namespace {

class PlatformText : public TextDecoding {
  public:
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override {
        return decoder_.ToUtf8(bytes);
    }

  private:
    linux_impl::Cp932Decoder decoder_;
};

ListFileContent Parse(std::string_view bytes, bool cut = false) {
    static PlatformText text;
    return ParseListFile(std::string(bytes), text, cut);
}

std::vector<std::string_view> FieldsOf(const KabegamiEntries& entries) {
    std::vector<std::string_view> fields;
    for (const KabegamiEntryView e : entries)
        fields.insert(fields.end(), {e.Folder, e.FileName, e.KabegamiPath, e.CopiedToPic});
    return fields;
}

// Writes header and entries, which must be storable, and reads them back.
void RequireReadsBack(const ListHeader& header, const KabegamiEntries& entries) {
    std::string written;
    try {
        written = FormatListFile(header, entries);
    } catch (const PlatformError&) {
        Require(false, "the writer refused fields that are storable");
    }
    Require(written.ends_with("\r\n"), "the file ends with a line end");
    const ListFileContent back = Parse(written);
    Require(back.ErrorNumber == 0, "a written file reads without error");
    Require(back.LastDrive == header.LastDrive && back.LastFolder == header.LastFolder &&
                back.FileCopySetting == header.FileCopySetting,
            "the header reads back unchanged");
    Require(back.Entries == entries, "the entries read back unchanged");
    Require(FormatListFile(header, back.Entries) == written, "writing again gives the same bytes");
}

// UTF-16 code units as UTF-8, a lone surrogate as the three bytes it would take, which are
// no UTF-8: the writer must refuse them.
std::string UnitsAsUtf8(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned c = unsigned(uint8_t(bytes[i])) | unsigned(uint8_t(bytes[i + 1])) << 8;
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const unsigned low = unsigned(uint8_t(bytes[i + 2])) | unsigned(uint8_t(bytes[i + 3]))
                                                                       << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

void CheckListReader(std::string_view bytes) {
    const ListFileContent content = Parse(bytes);
    Require(content.ErrorNumber == 0 || content.ErrorNumber == Err::InputPastEnd ||
                content.ErrorNumber == Err::PathFileAccess,
            "the reader stops only at the end of the file or at bytes it cannot decode");
    Require((content.ErrorNumber == Err::PathFileAccess) == !content.ErrorDescription.empty(),
            "bytes it cannot decode, and only those, get a message of their own");
    Require(content.Encoding == ListEncoding::Utf8 || content.Encoding == ListEncoding::Cp932 ||
                bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"),
            "UTF-16 only after its byte-order mark");
    // Header values come in order, and entries only after all three.
    Require(!content.LastFolder || content.LastDrive, "LastFolder without LastDrive");
    Require(!content.FileCopySetting || content.LastFolder, "FileCopySetting without LastFolder");
    const bool wholeHeader = content.FileCopySetting.has_value();
    Require(wholeHeader || content.Entries.empty(), "entries without a whole header");
    Require(wholeHeader || content.ErrorNumber != 0, "a missing header value is reported");

    std::vector<std::string_view> fields = FieldsOf(content.Entries);
    for (const std::optional<std::string>* h :
         {&content.LastDrive, &content.LastFolder, &content.FileCopySetting})
        if (h->has_value())
            fields.push_back(**h);
    for (const std::string_view field : fields) {
        Require(IsStorableField(field), "the reader gave a field the writer cannot store");
        // Code page 932 has no U+FFFD: one would stand for bytes the decoder lost.
        Require(content.Encoding != ListEncoding::Cp932 ||
                    field.find("\xEF\xBF\xBD") == std::string::npos,
                "a replacement character from a code page 932 file");
    }

    // The bytes before a failing read: whole entries of the same list, never more.
    const ListFileContent cut = Parse(bytes.substr(0, bytes.size() / 2), true);
    if (cut.Encoding == content.Encoding) {
        Require(cut.Entries.size() <= content.Entries.size() &&
                    std::equal(cut.Entries.begin(), cut.Entries.end(), content.Entries.begin()),
                "a cut read gives a prefix of the entries");
    }

    if (wholeHeader)
        RequireReadsBack({*content.LastDrive, *content.LastFolder, *content.FileCopySetting},
                         content.Entries);
}

// The first byte chooses how the rest becomes fields: as its own bytes, or as UTF-16 code
// units, which also gives lone surrogates. The text is split into fields at U+001E: three
// header values, then four per entry; missing ones are empty.
void CheckListRoundTrip(std::string_view bytes) {
    if (bytes.empty())
        return;
    const std::string text =
        (bytes[0] & 1) ? UnitsAsUtf8(bytes.substr(1)) : std::string(bytes.substr(1));
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\x1E', start);
        fields.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    while (fields.size() < 3 || (fields.size() - 3) % 4 != 0)
        fields.emplace_back();
    const ListHeader header{fields[0], fields[1], fields[2]};
    KabegamiEntries entries;
    for (std::size_t i = 3; i < fields.size(); i += 4)
        entries.push_back({fields[i], fields[i + 1], fields[i + 2], fields[i + 3]});

    bool storable = true;
    for (const std::string& field : fields)
        storable = storable && IsStorableField(field);
    try {
        FormatListFile(header, entries);
    } catch (const PlatformError& e) {
        Require(e.Number == Err::BadFileName, "the writer refuses with 52");
        Require(!storable, "the writer refused storable fields");
        Require(!e.Description.empty(), "the refusal has a message");
        return;
    }
    Require(storable, "the writer wrote a field it calls unstorable");
    RequireReadsBack(header, entries);
}

} // namespace velmora::fuzz
