// SPDX-License-Identifier: MIT
#pragma once

#include "VbListBox.h"

#include <QStringList>

namespace velmora {

class Platform;

// The file list: the names of the files in one folder that match the pattern.
class FileListBox : public VbListBox {
    Q_OBJECT
  public:
    FileListBox(Platform& platform, QWidget* parent = nullptr);

    // Patterns separated by semicolons ("*.BMP;*.JPG"), letter case ignored.
    void SetPattern(const QString& pattern);
    QString Pattern() const { return patterns_.join(u';'); }

    QString Path() const { return path_; }
    // Lists folder; throws PlatformError and keeps the former folder and rows when it cannot.
    void SetPath(const QString& folder);
    // Shows folder without rows, for a folder that could not be listed.
    void ShowEmpty(const QString& folder);

  private:
    Platform& platform_;
    QStringList patterns_;
    QString path_;
};

} // namespace velmora
