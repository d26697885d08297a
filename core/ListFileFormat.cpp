// SPDX-License-Identifier: MIT
#include "ListFileFormat.h"

#include "BufferRoom.h"
#include "PlatformError.h"
#include "SystemServices.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

namespace velmora {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

template <typename Unit> bool IsBlank(Unit c) {
    return c == ' ' || c == '\t';
}
template <typename Unit> bool IsDelimiter(Unit c) {
    return c == ',' || c == '\r' || c == '\n';
}

// The high bit of each of the eight bytes of block that equals c, exactly.
std::uint64_t BytesEqual(std::uint64_t block, unsigned char c) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t t = block ^ (0x0101010101010101ull * c);
    return ~(((t & kLow7) + kLow7) | t | kLow7);
}

// How many of the eight bytes of block are c or also, summed by a multiplication:
// std::popcount is a library call on a baseline x86-64 build.
int CountBytes(std::uint64_t block, unsigned char c, unsigned char also) {
    return int((((BytesEqual(block, c) | BytesEqual(block, also)) >> 7) * 0x0101010101010101ull) >>
               56);
}

// The first delimiter from p on, or end. Bytes eight at a time: items are long and this is
// most of a load's work.
template <typename Unit> const Unit* FindDelimiter(const Unit* p, const Unit* end) {
    if constexpr (sizeof(Unit) == 1 && std::endian::native == std::endian::little) {
        for (; end - p >= 8; p += 8) {
            std::uint64_t block;
            std::memcpy(&block, p, 8);
            const std::uint64_t found =
                BytesEqual(block, ',') | BytesEqual(block, '\r') | BytesEqual(block, '\n');
            if (found != 0)
                return p + std::countr_zero(found) / 8;
        }
    }
    while (p < end && !IsDelimiter(*p))
        ++p;
    return p;
}

// Cuts items out of the file's code units without decoding them: every character the
// format looks at is ASCII, which is never part of a longer UTF-8 sequence nor the second
// byte of a code page 932 character.
template <typename Unit> class ItemReader {
  public:
    ItemReader(const Unit* begin, const Unit* end, bool cut) : pos_(begin), end_(end), cut_(cut) {}

    bool AtEnd() const { return pos_ >= end_; }

    // The next item's code units; false when the file ends before it.
    bool Next(const Unit*& from, const Unit*& to) {
        while (!AtEnd() && IsBlank(*pos_))
            ++pos_;
        if (AtEnd())
            return false;
        if (*pos_ == '"') {
            from = pos_ + 1;
            to = std::find(from, end_, Unit('"'));
            if (to == end_ && cut_)
                return false; // its closing mark was never read
            pos_ = to < end_ ? to + 1 : end_;
            // Whatever stands between the closing mark and the delimiter is not part of it.
            while (!AtEnd() && !IsDelimiter(*pos_))
                ++pos_;
        } else {
            from = pos_;
            pos_ = FindDelimiter(pos_, end_);
            to = pos_;
        }
        SkipDelimiter();
        return true;
    }

  private:
    void SkipDelimiter() {
        if (AtEnd())
            return;
        const Unit c = *pos_++;
        if (c == '\r' && !AtEnd() && *pos_ == '\n')
            ++pos_;
    }

    const Unit* pos_;
    const Unit* const end_;
    const bool cut_;
};

// How many of the units are c or, when also is not 0, also.
template <typename Unit>
std::ptrdiff_t CountUnits(const Unit* begin, const Unit* end, char c, char also) {
    std::ptrdiff_t n = 0;
    if constexpr (sizeof(Unit) == 1) {
        // Eight bytes at a time: this runs on every load.
        for (; end - begin >= 8; begin += 8) {
            std::uint64_t block;
            std::memcpy(&block, begin, 8);
            n += CountBytes(block, c, also != 0 ? also : c);
        }
    }
    for (; begin < end; ++begin)
        n += (*begin == Unit(c)) + (also != 0 && *begin == Unit(also));
    return n;
}

// At most how many entries the units can hold, counting one delimiter per item (a CR LF
// pair once): the list is reserved once instead of regrowing to a multiple of its size.
template <typename Unit> std::size_t MostEntries(const Unit* begin, const Unit* end) {
    // Lines end in LF or CR LF; only a file without any LF needs its CRs counted.
    std::ptrdiff_t delimiters = CountUnits(begin, end, ',', '\n');
    if (std::find(begin, end, Unit('\n')) == end)
        delimiters += CountUnits(begin, end, '\r', 0);
    return std::size_t(std::max<std::ptrdiff_t>(0, (delimiters + 1 - 3) / 4));
}

std::string UndecodableDescription(std::size_t offset) {
    return "一覧ファイルの " + std::to_string(offset + 1) +
           " バイト目から先は UTF-8、UTF-16、シフト JIS のどれとしても読めない文字です。"
           "ファイルは変更しません。";
}

// Three header items, then four per entry. item(from, to, header) takes one item's units:
// a header item into *header as UTF-8, an entry's field (header null) into the list. It
// returns false when the units are no text in the file's encoding, which stops the read.
template <typename Unit, typename Item>
void ParseItems(const Unit* begin, const Unit* end, bool cut, Item item, ListFileContent& content) {
    ItemReader<Unit> reader(begin, end, cut);
    const Unit* from = nullptr;
    const Unit* to = nullptr;
    const auto next = [&](std::string* header) {
        if (!reader.Next(from, to)) {
            content.ErrorNumber = Err::InputPastEnd;
            return false;
        }
        if (!item(from, to, header)) {
            content.ErrorNumber = Err::PathFileAccess;
            content.ErrorDescription =
                UndecodableDescription(std::size_t(from - begin) * sizeof(Unit));
            return false;
        }
        return true;
    };
    for (std::optional<std::string>* header :
         {&content.LastDrive, &content.LastFolder, &content.FileCopySetting}) {
        std::string text;
        if (!next(&text))
            return;
        *header = std::move(text);
    }
    // With room for a few more: registering adds one entry and writes the list.
    content.Entries.reserve(RoomFor(MostEntries(begin, end) + 16));
    while (!reader.AtEnd()) {
        for (int field = 0; field < 4; ++field) {
            if (!next(nullptr)) {
                content.Entries.DropIncompleteEntry();
                return;
            }
        }
    }
}

// An item decoded to UTF-8 by decode(from, to) (nullopt when it is no text), kept as a copy.
template <typename Unit, typename Decode> auto Decoded(ListFileContent& content, Decode decode) {
    return [&content, decode](const Unit* from, const Unit* to, std::string* header) {
        std::optional<std::string> text = decode(from, to);
        if (!text)
            return false;
        if (header)
            *header = std::move(*text);
        else
            content.Entries.AppendField(*text);
        return true;
    };
}

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Units already checked to hold only whole surrogate pairs.
std::string Utf16ToUtf8(const char16_t* from, const char16_t* to) {
    std::string out;
    out.reserve(std::size_t(to - from) * 3);
    for (; from < to; ++from) {
        if (IsHighSurrogate(*from)) {
            AppendUtf8(out, 0x10000 + ((char32_t(from[0]) - 0xD800) << 10) +
                                (char32_t(from[1]) - 0xDC00));
            ++from;
        } else {
            AppendUtf8(out, *from);
        }
    }
    return out;
}

// UTF-16 in the given byte order. What is no text, an odd last byte or a lone surrogate,
// gives the unit index where it stands; -1 when all is text.
std::ptrdiff_t DecodeUtf16(std::string_view bytes, bool bigEndian, std::u16string& units) {
    units.resize(bytes.size() / 2);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::ptrdiff_t n = std::ptrdiff_t(units.size());
    for (std::ptrdiff_t i = 0; i < n; ++i, in += 2)
        units[i] = bigEndian ? char16_t(in[0] << 8 | in[1]) : char16_t(in[1] << 8 | in[0]);
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        if (IsHighSurrogate(units[i]) && i + 1 < n && IsLowSurrogate(units[i + 1]))
            ++i;
        else if (IsHighSurrogate(units[i]) || IsLowSurrogate(units[i]))
            return i;
    }
    return bytes.size() % 2 != 0 ? n : -1;
}

// Where a cut read's units end for the reader: after their last delimiter.
template <typename Unit> const Unit* WholeEnd(const Unit* begin, const Unit* end, bool cut) {
    while (cut && end > begin && !IsDelimiter(end[-1]))
        --end;
    return end;
}

void ParseBytes(std::string data, TextDecoding& legacy, bool cut, ListFileContent& content) {
    if (data.starts_with("\xFF\xFE") || data.starts_with("\xFE\xFF")) {
        content.Encoding = data[0] == '\xFE' ? ListEncoding::Utf16BE : ListEncoding::Utf16LE;
        std::u16string text;
        const std::ptrdiff_t bad = DecodeUtf16(std::string_view(data).substr(2),
                                               content.Encoding == ListEncoding::Utf16BE, text);
        std::string().swap(data);
        const char16_t* const units = text.data();
        const auto item = Decoded<char16_t>(content, [](const char16_t* from, const char16_t* to) {
            return std::optional<std::string>(Utf16ToUtf8(from, to));
        });
        const char16_t* const end = WholeEnd(units, units + text.size(), cut);
        if (bad >= 0 && (!cut || bad < end - units)) {
            // Before what is no text, the file reads as a cut read does.
            ParseItems(units, WholeEnd(units, units + bad, true), true, item, content);
            content.ErrorNumber = Err::PathFileAccess;
            content.ErrorDescription = UndecodableDescription(std::size_t(2 + 2 * bad));
            return;
        }
        ParseItems(units, end, cut, item, content);
        return;
    }
    // A cut read ends at an ASCII delimiter: what stays is whole characters in any encoding.
    std::size_t whole =
        std::size_t(WholeEnd(data.data(), data.data() + data.size(), cut) - data.data());
    if (IsValidUtf8(std::string_view(data).substr(0, whole))) {
        // The items are cut out of the file's own bytes, which the list keeps as its text.
        content.Entries.AdoptText(std::move(data), whole);
        const std::string_view text = content.Entries.AdoptedText();
        const char* begin = text.data();
        // The mark at the start of the file is no text; one at the start of an item is.
        if (text.substr(0, whole).starts_with(kUtf8Mark))
            begin += kUtf8Mark.size();
        ParseItems(
            begin, text.data() + whole, cut,
            [&content](const char* from, const char* to, std::string* header) {
                if (header)
                    header->assign(from, to);
                else
                    content.Entries.AddField(from, std::size_t(to - from));
                return true;
            },
            content);
        return;
    }
    content.Encoding = ListEncoding::Cp932;
    ParseItems(data.data(), data.data() + whole, cut,
               Decoded<char>(content,
                             [&legacy](const char* from, const char* to) {
                                 return legacy.Cp932ToUtf8(
                                     std::string_view(from, std::size_t(to - from)));
                             }),
               content);
}

enum class FieldForm { Plain, Quoted, Unstorable };

// How a field must be written for the reader to give it back unchanged: quoted when the
// reader would split it or skip its leading blanks; unstorable when it would then hold a
// quotation mark, or when it is no valid text at all (not checked when knownUtf8).
FieldForm FormOf(std::string_view field, bool knownUtf8 = false) {
    bool needsQuotes =
        !field.empty() && (field.front() == ' ' || field.front() == '\t' || field.front() == '"');
    bool hasQuote = false;
    const auto look = [&](std::string_view part) {
        for (const char c : part) {
            if (c == ',' || c == '\r' || c == '\n')
                needsQuotes = true;
            else if (c == '"')
                hasQuote = true;
        }
    };
    // Every byte that matters is ASCII below '-': eight bytes at a time, only a block that
    // holds such a byte is looked at byte by byte. Non-ASCII bytes are noted on the way.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::uint64_t highBits = 0;
    const auto scan = [&](std::size_t at) {
        std::uint64_t block;
        std::memcpy(&block, field.data() + at, 8);
        highBits |= block;
        if (((block - kOnes * (',' + 1)) & ~block & kHigh) != 0)
            look(field.substr(at, 8));
    };
    if (field.size() >= 8) {
        for (std::size_t at = 0; at + 8 < field.size(); at += 8)
            scan(at);
        // The last eight bytes, overlapping the block before them: no byte by byte tail.
        scan(field.size() - 8);
    } else {
        for (const char c : field)
            highBits |= static_cast<unsigned char>(c);
        look(field);
    }
    const bool ascii = (highBits & kHigh) == 0;
    if (!ascii && !knownUtf8 && !IsValidUtf8(field))
        return FieldForm::Unstorable;
    if (!needsQuotes)
        return FieldForm::Plain;
    return hasQuote ? FieldForm::Unstorable : FieldForm::Quoted;
}

} // namespace

ListFileContent ParseListFile(std::string bytes, TextDecoding& legacy, bool cut) {
    ListFileContent content;
    try {
        ParseBytes(std::move(bytes), legacy, cut, content);
    } catch (const std::bad_alloc&) {
        // What was read is dropped too: the program needs its memory back to go on at all.
        content.Entries.clear();
        content.ErrorNumber = Err::OutOfMemory;
        content.ErrorDescription.clear();
    }
    return content;
}

bool IsStorableField(std::string_view field) {
    return FormOf(field) != FieldForm::Unstorable;
}

std::string FormatListFile(const ListHeader& header, const KabegamiEntries& entries) {
    std::string out;
    out.reserve(RoomFor(64 + entries.TextSize() + entries.size() * 16 + header.LastDrive.size() +
                        header.LastFolder.size() + header.FileCopySetting.size()));
    const auto line = [&out](std::initializer_list<std::string_view> fields, bool knownUtf8) {
        bool first = true;
        for (const std::string_view field : fields) {
            const FieldForm form = FormOf(field, knownUtf8);
            if (form == FieldForm::Unstorable) {
                throw PlatformError(Err::BadFileName,
                                    "「" + std::string(field) +
                                        "」は一覧ファイルに保存できない名前です。");
            }
            if (!first)
                out += ',';
            first = false;
            if (form == FieldForm::Quoted) {
                out += '"';
                out += field;
                out += '"';
            } else {
                out += field;
            }
        }
        out += "\r\n";
    };
    line({header.LastDrive, header.LastFolder, header.FileCopySetting}, false);
    const bool knownUtf8 = entries.AllValidUtf8();
    // Only for a field followed by more of its line's text.
    const auto commaAfter = [](std::string_view field) {
        return field.data()[field.size()] == ',';
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const KabegamiEntryView e = entries[i];
        // Four items read unquoted, a comma apart, as one line of a file: none of them holds
        // a delimiter or starts with a blank or a quotation mark, so the line goes as it was.
        const std::string_view read = entries.TextOfEntry(i);
        if (!read.empty() && commaAfter(e.Folder) && commaAfter(e.FileName) &&
            commaAfter(e.KabegamiPath)) {
            out += read;
            out += "\r\n";
            continue;
        }
        line({e.Folder, e.FileName, e.KabegamiPath, e.CopiedToPic}, knownUtf8);
    }
    // The reader drops a byte-order mark at the start of the file: a first field that begins
    // with U+FEFF keeps it only behind one more.
    if (out.starts_with(kUtf8Mark))
        out.insert(0, kUtf8Mark);
    return out;
}

} // namespace velmora
