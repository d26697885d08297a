// SPDX-License-Identifier: MIT
#include "FuzzChecks.h"

#include "ListFileFormat.h"
#include "PlatformError.h"

#include <QList>

#include <algorithm>

namespace velmora::fuzz {

namespace {

QList<const QString*> FieldsOf(const KabegamiEntries& entries) {
    QList<const QString*> fields;
    for (const KabegamiEntry& e : entries)
        fields << &e.Folder << &e.FileName << &e.KabegamiPath << &e.CopiedToPic;
    return fields;
}

// Writes header and entries, which must be storable, and reads them back.
void RequireReadsBack(const ListHeader& header, const KabegamiEntries& entries) {
    QByteArray written;
    try {
        written = FormatListFile(header, entries);
    } catch (const PlatformError&) {
        Require(false, "the writer refused fields that are storable");
    }
    Require(written.endsWith("\r\n"), "the file ends with a line end");
    const ListFileContent back = ParseListFile(written);
    Require(back.ErrorNumber == 0, "a written file reads without error");
    Require(back.LastDrive == header.LastDrive && back.LastFolder == header.LastFolder &&
                back.FileCopySetting == header.FileCopySetting,
            "the header reads back unchanged");
    Require(back.Entries == entries, "the entries read back unchanged");
    Require(FormatListFile(header, back.Entries) == written, "writing again gives the same bytes");
}

} // namespace

void CheckListReader(const QByteArray& bytes) {
    const ListFileContent content = ParseListFile(bytes);
    Require(content.ErrorNumber == 0 || content.ErrorNumber == Err::InputPastEnd ||
                content.ErrorNumber == Err::PathFileAccess,
            "the reader stops only at the end of the file or at bytes it cannot decode");
    Require((content.ErrorNumber == Err::PathFileAccess) == !content.ErrorDescription.isEmpty(),
            "bytes it cannot decode, and only those, get a message of their own");
    Require(content.Encoding == ListEncoding::Utf8 || content.Encoding == ListEncoding::Cp932 ||
                bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"),
            "UTF-16 only after its byte-order mark");
    // Header values come in order, and entries only after all three.
    Require(!content.LastFolder || content.LastDrive, "LastFolder without LastDrive");
    Require(!content.FileCopySetting || content.LastFolder, "FileCopySetting without LastFolder");
    const bool wholeHeader = content.FileCopySetting.has_value();
    Require(wholeHeader || content.Entries.isEmpty(), "entries without a whole header");
    Require(wholeHeader || content.ErrorNumber != 0, "a missing header value is reported");

    QList<const QString*> fields = FieldsOf(content.Entries);
    for (const std::optional<QString>* h :
         {&content.LastDrive, &content.LastFolder, &content.FileCopySetting})
        if (h->has_value())
            fields << &**h;
    for (const QString* field : fields) {
        Require(IsStorableField(*field), "the reader gave a field the writer cannot store");
        // Code page 932 has no U+FFFD: one would stand for bytes the decoder lost.
        Require(content.Encoding != ListEncoding::Cp932 ||
                    !field->contains(QChar::ReplacementCharacter),
                "a replacement character from a code page 932 file");
    }

    // The bytes before a failing read: whole entries of the same list, never more.
    const ListFileContent cut = ParseListFile(bytes.left(bytes.size() / 2), true);
    if (cut.Encoding == content.Encoding) {
        Require(cut.Entries.size() <= content.Entries.size() &&
                    std::equal(cut.Entries.begin(), cut.Entries.end(), content.Entries.begin()),
                "a cut read gives a prefix of the entries");
    }

    if (wholeHeader)
        RequireReadsBack({*content.LastDrive, *content.LastFolder, *content.FileCopySetting},
                         content.Entries);
}

// The first byte chooses how the rest becomes text: as UTF-8, or as raw UTF-16 code units,
// which also gives lone surrogates. The text is split into fields at U+001E: three header
// values, then four per entry; missing ones are empty.
void CheckListRoundTrip(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    const QByteArray rest = bytes.mid(1);
    QString text;
    if (bytes[0] & 1) {
        text.reserve(rest.size() / 2);
        for (qsizetype i = 0; i + 1 < rest.size(); i += 2)
            text += QChar(char16_t(uint8_t(rest[i]) | (uint8_t(rest[i + 1]) << 8)));
    } else {
        text = QString::fromUtf8(rest);
    }
    QStringList fields = text.split(QChar(0x1E));
    while (fields.size() < 3 || (fields.size() - 3) % 4 != 0)
        fields << QString();
    const ListHeader header{fields[0], fields[1], fields[2]};
    KabegamiEntries entries;
    for (qsizetype i = 3; i < fields.size(); i += 4)
        entries.append({fields[i], fields[i + 1], fields[i + 2], fields[i + 3]});

    bool storable = true;
    for (const QString& field : fields)
        storable = storable && IsStorableField(field);
    try {
        FormatListFile(header, entries);
    } catch (const PlatformError& e) {
        Require(e.Number == Err::BadFileName, "the writer refuses with 52");
        Require(!storable, "the writer refused storable fields");
        Require(!e.Description.isEmpty(), "the refusal has a message");
        return;
    }
    Require(storable, "the writer wrote a field it calls unstorable");
    RequireReadsBack(header, entries);
}

} // namespace velmora::fuzz
