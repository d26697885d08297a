#include "ListFileFormat.h"

#include "PlatformError.h"

#include <algorithm>

namespace velmora {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsDelimiter(char16_t c) {
    return c == u',' || c == u'\r' || c == u'\n';
}

// Decodes the file once, then cuts items out of the text.
class ItemReader {
  public:
    explicit ItemReader(const QByteArray& bytes)
        : text_(QString::fromUtf8(bytes)), pos_(reinterpret_cast<const char16_t*>(text_.utf16())),
          end_(pos_ + text_.size()) {}

    bool AtEnd() const { return pos_ >= end_; }

    // The next item; nullopt when the file ends before it.
    std::optional<QString> Next() {
        while (!AtEnd() && IsBlank(*pos_))
            ++pos_;
        if (AtEnd())
            return std::nullopt;
        QString item;
        if (*pos_ == u'"') {
            const char16_t* start = pos_ + 1;
            const char16_t* close = std::find(start, end_, u'"');
            item = Cut(start, close);
            pos_ = close < end_ ? close + 1 : end_;
            // Whatever stands between the closing mark and the delimiter is not part of it.
            while (!AtEnd() && !IsDelimiter(*pos_))
                ++pos_;
        } else {
            const char16_t* start = pos_;
            while (!AtEnd() && !IsDelimiter(*pos_))
                ++pos_;
            item = Cut(start, pos_);
        }
        SkipDelimiter();
        return item;
    }

  private:
    static QString Cut(const char16_t* from, const char16_t* to) {
        return QString(reinterpret_cast<const QChar*>(from), to - from);
    }

    void SkipDelimiter() {
        if (AtEnd())
            return;
        const char16_t c = *pos_++;
        if (c == u'\r' && !AtEnd() && *pos_ == u'\n')
            ++pos_;
    }

    const QString text_;
    const char16_t* pos_;
    const char16_t* end_;
};

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

ListFileContent ParseListFile(const QByteArray& bytes) {
    ItemReader reader(bytes);
    ListFileContent content;
    content.Entries.reserve(bytes.size() / 64); // a rough guess saves most regrowing
    for (std::optional<QString>* header :
         {&content.LastDrive, &content.LastFolder, &content.FileCopySetting}) {
        *header = reader.Next();
        if (!*header) {
            content.ErrorNumber = Err::InputPastEnd;
            return content;
        }
    }
    while (!reader.AtEnd()) {
        QString fields[4];
        for (QString& field : fields) {
            std::optional<QString> item = reader.Next();
            if (!item) {
                content.ErrorNumber = Err::InputPastEnd;
                return content;
            }
            field = std::move(*item);
        }
        content.Entries.append({fields[0], fields[1], fields[2], fields[3]});
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
