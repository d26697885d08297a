#pragma once

#include "KabegamiEntry.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace velmora {

// The three header values of the list file.
struct ListHeader {
    QString LastDrive;
    QString LastFolder;
    QString FileCopySetting;
};

// What a read got before it stopped: the header values read so far (nullopt for those not
// reached), the complete entries, and the error number that stopped it (0 when none).
struct ListFileContent {
    std::optional<QString> LastDrive;
    std::optional<QString> LastFolder;
    std::optional<QString> FileCopySetting;
    KabegamiEntries Entries;
    int ErrorNumber = 0;
};

// Reads the list file's items: each ends at a comma, a line end or the end of the file;
// blanks before an item are skipped; an item that begins with a double quotation mark runs
// to the next one. Three header items, then four per entry; the end of the file is looked
// for only before an entry.
ListFileContent ParseListFile(const QByteArray& bytes);

// Whether a field can be written so that it reads back unchanged.
bool IsStorableField(const QString& field);

// The whole file, CR LF after every line. Fields that the reader would split or trim are
// written in double quotation marks. Throws PlatformError (52) when a field cannot be
// stored; nothing is written then.
QByteArray FormatListFile(const ListHeader& header, const KabegamiEntries& entries);

} // namespace velmora
