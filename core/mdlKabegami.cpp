// SPDX-License-Identifier: MIT
#include "mdlKabegami.h"

#include "ListFileFormat.h"
#include "PlatformError.h"
#include "SystemServices.h"

#include <bit>
#include <cstring>
#include <new>
#include <string_view>

namespace velmora {

namespace {
constexpr std::string_view kListFileName = "Kabegamilist.def";
constexpr std::string_view kBackupSuffix = ".bak";
constexpr const char* kChangedOnDiskMessage =
    "登録済みリストのファイル（Kabegamilist.def）が、読み込んだ後にほかで変更されています。"
    "その変更を消さないよう、今回の登録・削除は保存しませんでした。ファイルの内容を読み込み"
    "直しますので、もう一度操作してください。";
constexpr const char* kChangedOnDiskTitle = "保存できません";

// The nearest folder at or above folder whose name the file can hold; empty when none can.
std::string StorableFolder(std::string folder) {
    const std::string_view separator = PathSeparator();
    while (!folder.empty() && !IsStorableField(folder)) {
        const std::size_t cut =
            folder.size() < 2 ? std::string::npos : folder.rfind(separator, folder.size() - 2);
        folder =
            cut == std::string::npos ? std::string() : folder.substr(0, cut + separator.size());
    }
    return folder;
}

// A 64-bit digest in eight independent lanes, eight bytes each per step: it is taken of the
// whole file at every load and write, and one lane alone is limited by the latency of its
// multiplications (four lanes still were, on a list in the cache).
std::uint64_t Digest(std::string_view bytes) {
    constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
    constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
    constexpr int kLanes = 8;
    const auto round = [](std::uint64_t lane, std::uint64_t input) {
        return std::rotl(lane + input * kPrime2, 31) * kPrime1;
    };
    std::uint64_t lanes[kLanes];
    for (int i = 0; i < kLanes; ++i)
        lanes[i] = kPrime1 * std::uint64_t(i + 1) + kPrime2;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8 * kLanes; p += 8 * kLanes, left -= 8 * kLanes) {
        for (int i = 0; i < kLanes; ++i) {
            std::uint64_t input;
            std::memcpy(&input, p + 8 * i, 8);
            lanes[i] = round(lanes[i], input);
        }
    }
    std::uint64_t h = bytes.size();
    for (int i = 0; i < kLanes; ++i)
        h += std::rotl(lanes[i], 1 + 7 * i);
    for (; left > 0; ++p, --left)
        h = std::rotl(h ^ (static_cast<unsigned char>(*p) * kPrime1), 11) * kPrime2;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    return h;
}

// A drive's name has no folder above it: one the file cannot hold is not remembered.
std::string StorableDrive(const std::string& drive) {
    return IsStorableField(drive) ? drive : std::string();
}
} // namespace

mdlKabegami::mdlKabegami(SystemServices& services, Messages& messages)
    : services_(services), messages_(messages) {}

std::string mdlKabegami::GetAppPath() const {
    std::string path = services_.AppFolder();
    if (!path.ends_with(PathSeparator()))
        path += PathSeparator();
    return path;
}

std::string mdlKabegami::ListFilePath() const {
    return AppPath + std::string(kListFileName);
}

mdlKabegami::Seen mdlKabegami::SeenOf(std::optional<std::string_view> bytes) {
    if (!bytes)
        return {};
    return {bytes->size(), Digest(*bytes), true};
}

void mdlKabegami::LoadKabegamiList() {
    KabegamiList.clear();
    seenStamp_.reset();
    ListFileContent content;
    std::optional<PlatformError> readError;
    try {
        // A stamp that is the same before and after the read belongs to the bytes read.
        const std::optional<FileStamp> before = services_.StampOf(ListFilePath());
        std::string bytes = services_.ReadFile(ListFilePath());
        const std::optional<FileStamp> after =
            before ? services_.StampOf(ListFilePath()) : std::nullopt;
        seen_ = SeenOf(bytes);
        if (before && after == before)
            seenStamp_ = before;
        content = ParseListFile(std::move(bytes), services_);
    } catch (ReadError& error) {
        // The entries complete before the failing read are the user's list all the same.
        seen_.reset();
        content = ParseListFile(std::move(error.BytesRead), services_, true);
        readError = std::move(error);
    } catch (const PlatformError& error) {
        seen_.reset();
        if (error.Number == Err::FileNotFound) {
            seen_ = SeenOf(std::nullopt);
            backupBeforeRewrite_ = false;
        } else {
            backupBeforeRewrite_ = true;
            ShowErrorMessage(error);
        }
        return;
    } catch (const std::bad_alloc&) {
        seen_.reset();
        backupBeforeRewrite_ = true;
        ShowErrorMessage(PlatformError(Err::OutOfMemory));
        return;
    }
    if (content.LastDrive)
        LastDrive = std::move(*content.LastDrive);
    if (content.LastFolder)
        LastFolder = std::move(*content.LastFolder);
    if (content.FileCopySetting)
        FileCopySetting = std::move(*content.FileCopySetting);
    KabegamiList = std::move(content.Entries);
    backupBeforeRewrite_ =
        readError || content.ErrorNumber != 0 || content.Encoding != ListEncoding::Utf8;
    if (readError)
        ShowErrorMessage(*readError);
    else if (content.ErrorNumber != 0 && content.ErrorDescription.empty())
        ShowErrorMessage(PlatformError(content.ErrorNumber));
    else if (content.ErrorNumber != 0)
        ShowErrorMessage(content.ErrorNumber, content.ErrorDescription);
}

bool mdlKabegami::WriteKabegamiList() {
    try {
        const ListHeader header{StorableDrive(LastDrive), StorableFolder(LastFolder),
                                IsStorableField(FileCopySetting) ? FileCopySetting : std::string()};
        const std::string bytes = FormatListFile(header, KabegamiList);
        std::optional<std::string> onDisk;
        if (!UnchangedOnDisk(onDisk)) {
            messages_.MsgBox(kChangedOnDiskMessage, MsgBoxStyle::Critical, kChangedOnDiskTitle);
            return false;
        }
        if (backupBeforeRewrite_ && onDisk) {
            // What could not be read, or was read in another encoding, is the user's all
            // the same: keep its bytes before replacing them.
            services_.WriteFileAtomically(ListFilePath() + std::string(kBackupSuffix), *onDisk);
        }
        onDisk.reset();
        // Whatever happens now, the stamp no longer describes the file.
        seenStamp_.reset();
        services_.WriteFileAtomically(ListFilePath(), bytes);
        seen_ = SeenOf(bytes);
    } catch (const PlatformError& error) {
        ShowErrorMessage(error);
        return false;
    } catch (const std::bad_alloc&) {
        ShowErrorMessage(PlatformError(Err::OutOfMemory));
        return false;
    }
    backupBeforeRewrite_ = false;
    return true;
}

bool mdlKabegami::UnchangedOnDisk(std::optional<std::string>& onDisk) {
    if (seen_ && seenStamp_ && !backupBeforeRewrite_ &&
        services_.StampOf(ListFilePath()) == seenStamp_)
        return true;
    if (seen_ || backupBeforeRewrite_) {
        try {
            onDisk = services_.ReadFile(ListFilePath());
        } catch (const PlatformError& error) {
            if (error.Number != Err::FileNotFound)
                throw;
        }
    }
    return !seen_ || SeenOf(onDisk) == *seen_;
}

void mdlKabegami::ShowErrorMessage(const PlatformError& error) const {
    ShowErrorMessage(error.Number, error.Description);
}

void mdlKabegami::ShowErrorMessage(int number, const std::string& description) const {
    messages_.MsgBox(std::to_string(number) + ':' + description, MsgBoxStyle::Critical, "エラー");
}

} // namespace velmora
