// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntry.h"

#include <QByteArray>

#include <optional>

namespace velmora {

class Platform;
class PlatformError;

// The program's shared state: the wallpaper list, the three remembered browsing settings
// and the application folder, with the list file's reader and writer. One object is made
// at start and handed to every window.
class mdlKabegami {
  public:
    explicit mdlKabegami(Platform& platform);

    Platform& platform() const { return platform_; }

    QString AppPath;
    KabegamiEntries KabegamiList;
    QString LastDrive;
    QString LastFolder;
    QString FileCopySetting;

    // The application folder with exactly one trailing separator; computed at every call.
    QString GetAppPath() const;
    QString ListFilePath() const;

    // The last index of KabegamiList, or -1 when it is empty.
    int UBound() const { return static_cast<int>(KabegamiList.size()) - 1; }

    // Replaces the list and the header values with what the list file holds. A missing file
    // is silent; any other failure is reported and the complete entries read so far stay.
    void LoadKabegamiList();

    // Writes the header values and the whole list to the list file, replacing it
    // atomically. Reports a failure and returns false; the old file then stays as it was.
    // A file that the last load could not read completely, or read in another encoding
    // than UTF-8, is kept as a backup first. A file that changed since it was last loaded
    // or written is not replaced: the user is told and nothing is written. A remembered
    // folder or drive that the file cannot hold is written as the nearest one it can.
    bool WriteKabegamiList();

    // The common error report: "number:description", titled "エラー", stop icon, OK.
    void ShowErrorMessage(const PlatformError& error) const;
    void ShowErrorMessage(int number, const QString& description) const;

  private:
    // Remembers the file's content as last read or written (nullopt: no file).
    void Remember(const std::optional<QByteArray>& bytes);

    Platform& platform_;
    bool backupBeforeRewrite_ = false;
    // A digest of what the file held when last read or written: empty when there was no
    // file, nullopt when it is not known (nothing read yet, or the read failed). It tells an
    // edit by another program from none, same second and size included; nobody forges one.
    std::optional<QByteArray> seen_;
};

} // namespace velmora
