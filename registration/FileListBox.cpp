// SPDX-License-Identifier: MIT
#include "FileListBox.h"

#include "FolderPath.h"
#include "Platform.h"
#include "QtText.h"

namespace velmora {

FileListBox::FileListBox(Platform& platform, QWidget* parent)
    : VbListBox(parent), platform_(platform), patterns_{QStringLiteral("*.*")} {}

void FileListBox::SetPattern(const QString& pattern) {
    patterns_ = pattern.split(u';', Qt::SkipEmptyParts);
    if (!path_.isEmpty())
        SetPath(path_);
}

void FileListBox::SetPath(const QString& folder) {
    const QString path = NormalFolder(folder);
    const QStringList names = FromUtf8(platform_.ListFiles(ToUtf8(path), ToUtf8(patterns_)));
    path_ = path;
    clear();
    addItems(names);
}

void FileListBox::ShowEmpty(const QString& folder) {
    path_ = NormalFolder(folder);
    clear();
}

} // namespace velmora
