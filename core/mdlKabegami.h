// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntries.h"
#include "SystemServices.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace velmora {

class Files;
class Messages;
class PlatformError;
class ProgramPlace;
class SystemServices;
class TextDecoding;

// The program's shared state: the wallpaper list, the three remembered browsing settings
// and the application folder, with the list file's reader and writer. One object is made
// at start and handed to every window. Text is UTF-8.
class mdlKabegami {
  public:
    mdlKabegami(SystemServices& services, Messages& messages);
    // A platform that is both (every user interface's own view of the services).
    template <typename Both>
    requires std::is_base_of_v<SystemServices, Both> && std::is_base_of_v<Messages, Both>
    explicit mdlKabegami(Both& platform)
        : mdlKabegami(static_cast<SystemServices&>(platform), static_cast<Messages&>(platform)) {}

    SystemServices& services() const { return services_; }
    Messages& messages() const { return messages_; }

    std::string AppPath;
    KabegamiEntries KabegamiList;
    std::string LastDrive;
    std::string LastFolder;
    std::string FileCopySetting;

    // The application folder with exactly one trailing separator; computed at every call.
    std::string GetAppPath() const;
    std::string ListFilePath() const;

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
    void ShowErrorMessage(int number, const std::string& description) const;

  private:
    // What the file held when last read or written: its size and a digest.
    struct Seen {
        std::size_t size = 0;
        std::uint64_t digest = 0;
        bool exists = false;
        friend bool operator==(const Seen&, const Seen&) = default;
    };
    // Whether the file is still what was last read or written: by its stamp when one was
    // taken around the last read, else by its bytes, which are then returned in onDisk.
    bool UnchangedOnDisk(std::optional<std::string>& onDisk);
    static Seen SeenOf(std::optional<std::string_view> bytes);

    SystemServices& services_;
    Messages& messages_;
    bool backupBeforeRewrite_ = false;
    // Tells an edit by another program from none, same second and size included; nobody
    // forges one. nullopt when it is not known (nothing read yet, or the read failed).
    std::optional<Seen> seen_;
    // The file's stamp when the bytes seen_ describes were read; saves reading them again.
    std::optional<FileStamp> seenStamp_;
};

} // namespace velmora
