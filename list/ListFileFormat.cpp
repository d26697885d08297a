#include "ListFileFormat.h"

#include "PlatformError.h"

namespace velmora {

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool IsLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

class ItemReader {
  public:
    explicit ItemReader(const QString& text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    // The next item; nullopt when the file ends before it.
    std::optional<QString> Next() {
        while (!AtEnd() && IsBlank(text_[pos_]))
            ++pos_;
        if (AtEnd())
            return std::nullopt;
        QString item;
        if (text_[pos_] == u'"') {
            const qsizetype close = text_.indexOf(u'"', pos_ + 1);
            const qsizetype end = close < 0 ? text_.size() : close;
            item = text_.mid(pos_ + 1, end - pos_ - 1);
            pos_ = end < text_.size() ? end + 1 : end;
            // Whatever stands between the closing mark and the delimiter is not part of it.
            while (!AtEnd() && text_[pos_] != u',' && !IsLineEnd(text_[pos_]))
                ++pos_;
        } else {
            const qsizetype start = pos_;
            while (!AtEnd() && text_[pos_] != u',' && !IsLineEnd(text_[pos_]))
                ++pos_;
            item = text_.mid(start, pos_ - start);
        }
        SkipDelimiter();
        return item;
    }

  private:
    void SkipDelimiter() {
        if (AtEnd())
            return;
        if (text_[pos_] == u',') {
            ++pos_;
        } else if (text_[pos_] == u'\r') {
            ++pos_;
            if (!AtEnd() && text_[pos_] == u'\n')
                ++pos_;
        } else if (text_[pos_] == u'\n') {
            ++pos_;
        }
    }

    const QString& text_;
    qsizetype pos_ = 0;
};

bool NeedsQuotes(const QString& field) {
    if (field.isEmpty())
        return false;
    if (IsBlank(field.front()) || field.front() == u'"')
        return true;
    for (QChar c : field) {
        if (c == u',' || IsLineEnd(c))
            return true;
    }
    return false;
}

void AppendField(QString& out, const QString& field) {
    if (NeedsQuotes(field)) {
        out += u'"';
        out += field;
        out += u'"';
    } else {
        out += field;
    }
}

} // namespace

ListFileContent ParseListFile(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    ItemReader reader(text);
    ListFileContent content;
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
    if (NeedsQuotes(field) && field.contains(u'"'))
        return false;
    return QString::fromUtf8(field.toUtf8()) == field; // no lone surrogates
}

QByteArray FormatListFile(const ListHeader& header, const KabegamiEntries& entries) {
    QString out;
    const auto line = [&out](std::initializer_list<const QString*> fields) {
        bool first = true;
        for (const QString* field : fields) {
            if (!IsStorableField(*field)) {
                throw PlatformError(
                    Err::BadFileName,
                    QStringLiteral("「%1」は一覧ファイルに保存できない名前です。").arg(*field));
            }
            if (!first)
                out += u',';
            first = false;
            AppendField(out, *field);
        }
        out += QStringLiteral("\r\n");
    };
    line({&header.LastDrive, &header.LastFolder, &header.FileCopySetting});
    for (const KabegamiEntry& e : entries)
        line({&e.Folder, &e.FileName, &e.KabegamiPath, &e.CopiedToPic});
    return out.toUtf8();
}

} // namespace velmora
