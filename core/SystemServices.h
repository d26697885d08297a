// SPDX-License-Identifier: MIT
#pragma once

// The operating-system services the program's logic uses, one interface per concern, in
// standard C++ types. Text is UTF-8 in std::string. Every operation reports a failure by
// throwing PlatformError (number + description). Each platform implements them in its own
// folder under platform/; each user interface adds its own message boxes (Messages).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Message box styles and answers, as numbers, so that callers and tests speak one language.
namespace MsgBoxStyle {
constexpr int OkOnly = 0;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int DefaultButton2 = 256;
} // namespace MsgBoxStyle

namespace MsgBoxResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgBoxResult

// Windows drive types, answered on every platform.
namespace DriveType {
constexpr int Unknown = 0;
constexpr int NoRootDir = 1;
constexpr int Removable = 2;
constexpr int Fixed = 3;
constexpr int Remote = 4;
constexpr int CdRom = 5;
constexpr int RamDisk = 6;
} // namespace DriveType

// Wallpaper flags: 0 changes the running session only, 3 also stores the choice.
namespace WallpaperFlags {
constexpr int SessionOnly = 0;
constexpr int UpdateIniFile = 1;
constexpr int SendWinIniChange = 2;
constexpr int Store = UpdateIniFile | SendWinIniChange;
} // namespace WallpaperFlags

// The folder separator of the platform the program is built for ("/" or "\"): every folder
// name the program builds ends in it. Defined in the platform's own folder.
std::string_view PathSeparator();

enum class PictureKind { Bmp, Jpeg };

// A picture checked by its header: what it is and its natural size. Decoding happens only
// when the picture is saved or previewed.
struct PictureInfo {
    std::string Path;
    PictureKind Kind = PictureKind::Bmp;
    int Width = 0;
    int Height = 0;
};

// One volume as the drive selector shows it.
struct DriveInfo {
    std::string Name; // stable across runs ("<mount point> [<label>]", "c: [SYSTEM]")
    std::string Root; // where its folders start, ending in the separator
};

// Where the program keeps its data, and the one running program per data folder.
class ProgramPlace {
  public:
    virtual ~ProgramPlace() = default;
    // The data folder without a trailing separator (except for a root), the same for the
    // whole run. Throws when it cannot be named: never another folder instead.
    virtual std::string AppFolder() = 0;
    // True when this program already runs on folder (its list file), for whatever user or
    // environment. Otherwise this run takes the folder's instance lock and keeps it until it
    // ends. Throws when the lock can be neither taken nor seen taken.
    virtual bool PrevInstance(const std::string& folder) = 0;
};

// What tells one version of a file from another without reading it. Equal stamps of one
// path mean the same bytes: any write changes the change time, which no program can set.
struct FileStamp {
    std::uint64_t Volume = 0;
    std::uint64_t Identity = 0; // inode or file index: a replaced file is another one
    std::uint64_t Size = 0;
    std::int64_t WriteTimeNs = 0;
    std::int64_t ChangeTimeNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Files and folders. A trailing separator on a folder name is allowed.
class Files {
  public:
    virtual ~Files() = default;
    virtual void MkDir(const std::string& path) = 0; // 75 when it exists already
    // Copies source to target. An existing target is replaced only when it holds exactly the
    // source's bytes; any other file there stays and the copy fails with 58.
    virtual void CopyFile(const std::string& source, const std::string& target) = 0;
    virtual void DeleteFile(const std::string& path) = 0;
    // The whole file; a failure part-way through throws ReadError.
    virtual std::string ReadFile(const std::string& path) = 0;
    // Replaces path with data so that a crash or a failure leaves either the old or the new
    // content, never a mixture.
    virtual void WriteFileAtomically(const std::string& path, std::string_view data) = 0;
    // Removes what a killed earlier run left of its atomic writes in folder.
    virtual void RemoveTemporaryFiles(const std::string& folder) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // The file's stamp, or nothing when it cannot be trusted to change with the next write
    // (the file changed within the clock's last tick, or the platform has no stamps) or the
    // file cannot be examined. Nothing makes callers compare the bytes instead.
    virtual std::optional<FileStamp> StampOf(const std::string&) { return std::nullopt; }
    // The path with every link and "." or ".." resolved, as far as it exists.
    virtual std::string ResolvePath(const std::string& path) = 0;
    // Names of the visible subfolders, and of the files matching one of the patterns
    // ("*.BMP" style, letter case ignored), sorted by name ignoring case.
    virtual std::vector<std::string> ListSubfolders(const std::string& folder) = 0;
    virtual std::vector<std::string> ListFiles(const std::string& folder,
                                               const std::vector<std::string>& patterns) = 0;
};

// The machine's volumes.
class Volumes {
  public:
    virtual ~Volumes() = default;
    virtual std::vector<DriveInfo> ListDrives() = 0;
    // The drive that holds folder.
    virtual DriveInfo DriveOf(const std::string& folder) = 0;
    // The drive selector's text back to its volume; throws 71 when it is not there now.
    virtual DriveInfo DriveByName(const std::string& name) = 0;
    virtual int GetDriveType(const std::string& root) = 0; // a DriveType value
};

// Pictures: BMP or JPEG, recognised by content.
class Pictures {
  public:
    virtual ~Pictures() = default;
    // Reads the header only.
    virtual PictureInfo LoadPicture(const std::string& path) = 0;
    // Writes the whole picture as a 24-bit Windows bitmap at its own size, atomically.
    virtual void SavePicture(const PictureInfo& picture, const std::string& bmpPath) = 0;
};

class Wallpaper {
  public:
    virtual ~Wallpaper() = default;
    // Shows bmpPath as the desktop wallpaper, or no picture when it is empty; flags is a
    // WallpaperFlags value.
    virtual void SetDeskWallpaper(const std::string& bmpPath, int flags) = 0;
};

class Web {
  public:
    virtual ~Web() = default;
    // Hands a web or mailto: address to the desktop's default handler without waiting.
    virtual void OpenUrl(const std::string& url) = 0;
};

// Text in the encodings of older list files.
class TextDecoding {
  public:
    virtual ~TextDecoding() = default;
    // Code page 932 (Shift-JIS with the NEC and IBM extensions) as UTF-8; nothing when the
    // bytes are no text in it.
    virtual std::optional<std::string> Cp932ToUtf8(std::string_view bytes) = 0;
};

// Every service of one platform; made by the platform's factory.
class SystemServices : public ProgramPlace,
                       public Files,
                       public Volumes,
                       public Pictures,
                       public Wallpaper,
                       public Web,
                       public TextDecoding {};

// Message boxes: each user interface shows its own.
class Messages {
  public:
    virtual ~Messages() = default;
    // style is the sum of MsgBoxStyle values, the result a MsgBoxResult value.
    virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
};

} // namespace velmora
