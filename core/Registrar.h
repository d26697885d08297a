// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntries.h"
#include "PlatformError.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class mdlKabegami;
class SystemServices;

// What became of one picture the user asked to register.
struct RegisterOutcome {
    enum Result {
        Registered,        // in the list file now
        AlreadyRegistered, // the same folder and name are in the list
        NameTaken,         // its copy would collide with a registered name
        NotStorable,       // Name cannot be written to the list file unchanged
        Failed,            // Error stopped it before the list changed
        NotWritten,        // the list file could not be written (already reported)
    };
    Result result = Registered;
    std::string Name; // the picture, or for NotStorable the part that cannot be stored
    std::optional<PlatformError> Error;
};

// Registering and removing pictures, without any window: each call changes the shared list,
// writes the list file and reads it back, and says what happened; showing it is the
// window's part. Only copies that no written list names are ever deleted.
class Registrar {
  public:
    explicit Registrar(mdlKabegami& module);

    // The program's own folder for copied pictures, ending in the separator.
    std::string PicFolder() const;

    // Registers folder + name. With copyOption set, a picture that is not on a fixed disk is
    // copied into Pic/ first.
    RegisterOutcome Register(const std::string& folder, const std::string& name, bool copyOption);

    // Removes the entries whose rows are selected (indexes into the list as it stands), and
    // once the shorter list is written, the copies in Pic/ it no longer names. False when
    // the list could not be written (already reported); nothing is deleted then.
    bool Remove(const std::vector<bool>& selected);

    // Whether an entry of the list names the file at path (links resolved).
    bool UsedByList(const std::string& path) const;

    // The list as it stood before the last removal.
    const KabegamiEntries& KabegamiBackup() const { return kabegamiBackup_; }

  private:
    // Where the entry's picture will be used from, and whether that is a copy of ours.
    void CopyToPicFolder(const std::string& folder, const std::string& name,
                         std::string& kabegamiPath, std::string& copiedToPic);
    int GetRootDriveType(const std::string& folder);
    // A picture that is gone is reported as any missing file.
    void CheckSourceIsThere(const std::string& folder, const std::string& name);
    void DeleteCopiedFile(const std::string& kabegamiPath, std::string_view copiedToPic);
    void BackupKabegamiList();
    void RemoveSelectedEntries(const std::vector<bool>& selected);
    // Writes the list and reads it back; whether the write succeeded.
    bool SaveKabegamiList();

    mdlKabegami& module_;
    SystemServices& services_;
    KabegamiEntries kabegamiBackup_;
};

} // namespace velmora
