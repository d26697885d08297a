// SPDX-License-Identifier: MIT
#pragma once

// The core's UTF-8 entries and texts for tests written with Qt's strings.

#include "KabegamiEntries.h"
#include "ListFileFormat.h"
#include "PlatformError.h"
#include "QtText.h"

namespace velmora::test {

inline KabegamiEntry Entry(const QString& folder, const QString& name, const QString& path,
                           const QString& copied) {
    return {ToUtf8(folder), ToUtf8(name), ToUtf8(path), ToUtf8(copied)};
}

// The entry at index, or an empty one past the end (so that a check fails, not the test).
inline KabegamiEntry At(const KabegamiEntries& list, std::size_t index) {
    return index < list.size() ? ToEntry(list[index]) : KabegamiEntry{};
}

// The list file's bytes as the program reads them (code page 932 through Qt's decoder).
ListFileContent ParseBytes(const QByteArray& bytes, bool cut = false);

inline QString Described(int number) {
    return FromUtf8(ErrorDescription(number));
}

} // namespace velmora::test
