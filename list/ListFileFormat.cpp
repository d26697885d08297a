// SPDX-License-Identifier: MIT
#include "ListFileFormat.h"

#include "PlatformError.h"

#include <QStringDecoder>
#include <QUtf8StringView>

#include <algorithm>
#include <new>

namespace velmora {

namespace {

template <typename Unit> bool IsBlank(Unit c) {
    return c == ' ' || c == '\t';
}
template <typename Unit> bool IsDelimiter(Unit c) {
    return c == ',' || c == '\r' || c == '\n';
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
            while (!AtEnd() && !IsDelimiter(*pos_))
                ++pos_;
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

// At most how many entries the units can hold, counting one delimiter per item (a CR LF
// pair once): the list is reserved once instead of regrowing to a multiple of its size.
template <typename Unit> qsizetype MostEntries(const Unit* begin, const Unit* end) {
    // One simple count per character: each vectorises.
    const qsizetype commas = std::count(begin, end, Unit(','));
    const qsizetype crs = std::count(begin, end, Unit('\r'));
    const qsizetype lfs = std::count(begin, end, Unit('\n'));
    return std::max<qsizetype>(0, (commas + std::max(crs, lfs) + 1 - 3) / 4);
}

QString UndecodableDescription(qsizetype offset) {
    return QStringLiteral("一覧ファイルの %1 バイト目から先は UTF-8、UTF-16、シフト JIS "
                          "のどれとしても読めない文字です。ファイルは変更しません。")
        .arg(offset + 1);
}

// Three header items, then four per entry. decode turns one item's units into text; false
// when they are no text in the file's encoding, which stops the read there.
template <typename Unit, typename Decode>
void ParseItems(const Unit* begin, const Unit* end, bool cut, Decode decode,
                ListFileContent& content) {
    ItemReader<Unit> reader(begin, end, cut);
    const Unit* from = nullptr;
    const Unit* to = nullptr;
    const auto next = [&](QString& item) {
        if (!reader.Next(from, to)) {
            content.ErrorNumber = Err::InputPastEnd;
            return false;
        }
        if (to - from == 1 && (*from == '0' || *from == '1')) {
            // The copy flags of a long list share two strings instead of one each.
            static const QString kFlags[2] = {QStringLiteral("0"), QStringLiteral("1")};
            item = kFlags[*from - '0'];
            return true;
        }
        if (!decode(from, to, item)) {
            content.ErrorNumber = Err::PathFileAccess;
            content.ErrorDescription =
                UndecodableDescription((from - begin) * qsizetype(sizeof(Unit)));
            return false;
        }
        return true;
    };
    for (std::optional<QString>* header :
         {&content.LastDrive, &content.LastFolder, &content.FileCopySetting}) {
        QString item;
        if (!next(item))
            return;
        *header = std::move(item);
    }
    content.Entries.reserve(MostEntries(begin, end));
    while (!reader.AtEnd()) {
        QString fields[4];
        for (QString& field : fields) {
            if (!next(field))
                return;
        }
        content.Entries.append({std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
                                std::move(fields[3])});
    }
}

// UTF-16 in the given byte order. What is no text, an odd last byte or a lone surrogate,
// gives the unit index where it stands; -1 when all is text.
qsizetype DecodeUtf16(QByteArrayView bytes, bool bigEndian, QString& text) {
    text.resize(bytes.size() / 2);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i, in += 2)
        out[i] = bigEndian ? char16_t(in[0] << 8 | in[1]) : char16_t(in[1] << 8 | in[0]);
    for (qsizetype i = 0; i < n; ++i) {
        if (QChar::isHighSurrogate(out[i]) && i + 1 < n && QChar::isLowSurrogate(out[i + 1]))
            ++i;
        else if (QChar::isSurrogate(out[i]))
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

void ParseBytes(QByteArrayView data, bool cut, ListFileContent& content) {
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        content.Encoding = data[0] == '\xFE' ? ListEncoding::Utf16BE : ListEncoding::Utf16LE;
        QString text;
        const qsizetype bad =
            DecodeUtf16(data.sliced(2), content.Encoding == ListEncoding::Utf16BE, text);
        const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
        const auto decode = [](const char16_t* from, const char16_t* to, QString& item) {
            item = QString(reinterpret_cast<const QChar*>(from), to - from);
            return true;
        };
        const char16_t* const end = WholeEnd(units, units + text.size(), cut);
        if (bad >= 0 && (!cut || bad < end - units)) {
            // Before what is no text, the file reads as a cut read does.
            ParseItems(units, WholeEnd(units, units + bad, true), true, decode, content);
            content.ErrorNumber = Err::PathFileAccess;
            content.ErrorDescription = UndecodableDescription(2 + 2 * bad);
            return;
        }
        ParseItems(units, end, cut, decode, content);
        return;
    }
    const char* begin = data.data();
    // A cut read ends at an ASCII delimiter: what stays is whole characters in any encoding.
    const char* const end = WholeEnd(begin, data.data() + data.size(), cut);
    if (QUtf8StringView(begin, end).isValidUtf8()) {
        // The mark at the start of the file is no text; one at the start of an item is.
        if (QByteArrayView(begin, end).startsWith("\xEF\xBB\xBF"))
            begin += 3;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        ParseItems(
            begin, end, cut,
            [&utf8](const char* from, const char* to, QString& item) {
                // fromUtf8 is the fast way but drops a leading mark.
                const QByteArrayView units(from, to);
                item = units.startsWith("\xEF\xBB\xBF") ? utf8.decode(units)
                                                        : QString::fromUtf8(units);
                return true;
            },
            content);
        return;
    }
    content.Encoding = ListEncoding::Cp932;
    QStringDecoder cp932("windows-31j", QStringDecoder::Flag::Stateless);
    if (!cp932.isValid()) {
        content.ErrorNumber = Err::PathFileAccess;
        content.ErrorDescription = UndecodableDescription(0);
        return;
    }
    ParseItems(
        begin, end, cut,
        [&cp932](const char* from, const char* to, QString& item) {
            item = cp932.decode(QByteArrayView(from, to));
            // The decoder stands a substitute for what it cannot map and says so.
            const bool failed = cp932.hasError();
            cp932.resetState();
            return !failed;
        },
        content);
}

enum class FieldForm { Plain, Quoted, Unstorable };

// How a field must be written for the reader to give it back unchanged: quoted when the
// reader would split it or skip its leading blanks; unstorable when it would then hold a
// quotation mark, or when it is no valid text at all (a lone surrogate).
FieldForm FormOf(const QString& field) {
    bool needsQuotes = !field.isEmpty() &&
                       (field.front() == u' ' || field.front() == u'\t' || field.front() == u'"');
    bool hasQuote = false;
    const char16_t* c = reinterpret_cast<const char16_t*>(field.utf16());
    const char16_t* const end = c + field.size();
    for (; c < end; ++c) {
        // Most characters are none of the few that matter: one test lets them pass.
        if (*c > u',' && (*c < 0xD800 || *c > 0xDFFF))
            continue;
        if (*c == u',' || *c == u'\r' || *c == u'\n')
            needsQuotes = true;
        else if (*c == u'"')
            hasQuote = true;
        else if (QChar::isHighSurrogate(*c) && c + 1 < end && QChar::isLowSurrogate(c[1]))
            ++c;
        else if (QChar::isSurrogate(*c))
            return FieldForm::Unstorable;
    }
    if (!needsQuotes)
        return FieldForm::Plain;
    return hasQuote ? FieldForm::Unstorable : FieldForm::Quoted;
}

} // namespace

ListFileContent ParseListFile(const QByteArray& bytes, bool cut) {
    ListFileContent content;
    try {
        ParseBytes(bytes, cut, content);
    } catch (const std::bad_alloc&) {
        // What was read is dropped too: the program needs its memory back to go on at all.
        content.Entries = {};
        content.ErrorNumber = Err::OutOfMemory;
        content.ErrorDescription.clear();
    }
    return content;
}

bool IsStorableField(const QString& field) {
    return FormOf(field) != FieldForm::Unstorable;
}

QByteArray FormatListFile(const ListHeader& header, const KabegamiEntries& entries) {
    QString out;
    out.reserve(64 + entries.size() * 128);
    const auto line = [&out](std::initializer_list<const QString*> fields) {
        bool first = true;
        for (const QString* field : fields) {
            const FieldForm form = FormOf(*field);
            if (form == FieldForm::Unstorable) {
                throw PlatformError(
                    Err::BadFileName,
                    QStringLiteral("「%1」は一覧ファイルに保存できない名前です。").arg(*field));
            }
            if (!first)
                out += u',';
            first = false;
            if (form == FieldForm::Quoted)
                out += u'"' + *field + u'"';
            else
                out += *field;
        }
        out += QStringLiteral("\r\n");
    };
    line({&header.LastDrive, &header.LastFolder, &header.FileCopySetting});
    for (const KabegamiEntry& e : entries)
        line({&e.Folder, &e.FileName, &e.KabegamiPath, &e.CopiedToPic});
    QByteArray bytes = out.toUtf8();
    // Decoding drops a byte-order mark at the start of the file: a first field that begins
    // with U+FEFF keeps it only behind one more.
    if (out.startsWith(QChar(0xFEFF)))
        bytes.prepend("\xEF\xBB\xBF");
    return bytes;
}

} // namespace velmora
