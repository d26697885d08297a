// SPDX-License-Identifier: MIT
#include "Registrar.h"

#include "RegistrationRules.h"
#include "SystemServices.h"
#include "mdlKabegami.h"

namespace velmora {

namespace {
constexpr const char* kPicFolderName = "Pic";
} // namespace

Registrar::Registrar(mdlKabegami& module) : module_(module), services_(module.services()) {}

std::string Registrar::PicFolder() const {
    return module_.GetAppPath() + kPicFolderName + std::string(PathSeparator());
}

void Registrar::CheckSourceIsThere(const std::string& folder, const std::string& name) {
    if (!services_.FileExists(folder + name))
        throw PlatformError(services_.FileExists(folder) ? Err::FileNotFound : Err::PathNotFound);
}

int Registrar::GetRootDriveType(const std::string& folder) {
    return services_.GetDriveType(services_.DriveOf(folder).Root);
}

RegisterOutcome Registrar::Register(const std::string& folderName, const std::string& name,
                                    bool copyOption) {
    const std::string folder = WithSeparator(folderName);
    int driveType = DriveType::Unknown;
    try {
        driveType = GetRootDriveType(folder);
        // The volumes were read first: a medium taken out since then, or before, leaves no
        // file behind, and its former folder must not count as the disk under it.
        if (copyOption)
            CheckSourceIsThere(folder, name);
    } catch (const PlatformError& error) {
        return {RegisterOutcome::Failed, name, error};
    }
    const bool copies = copyOption && driveType != DriveType::Fixed;

    switch (FindConflict(module_.KabegamiList, folder, name, copies)) {
    case Conflict::AlreadyRegistered:
        return {RegisterOutcome::AlreadyRegistered, name, std::nullopt};
    case Conflict::NameTaken:
        return {RegisterOutcome::NameTaken, name, std::nullopt};
    case Conflict::None:
        break;
    }

    // Refused before anything is copied: the list file could not hold the name unchanged.
    const std::string unstorable =
        UnstorableName(folder, name, copies ? PicFolder() + name : folder + name);
    if (!unstorable.empty())
        return {RegisterOutcome::NotStorable, unstorable, std::nullopt};

    KabegamiEntry entry{folder, name, folder + name, "0"};
    if (copyOption) {
        try {
            CopyToPicFolder(folder, name, entry.KabegamiPath, entry.CopiedToPic);
        } catch (const PlatformError& error) {
            return {RegisterOutcome::Failed, name, error};
        }
    }

    module_.KabegamiList.push_back(entry);
    const bool written = module_.WriteKabegamiList();
    module_.LoadKabegamiList();
    if (!written && entry.CopiedToPic == "1" && !UsedByList(entry.KabegamiPath)) {
        // Its entry never reached the file, so the copy belongs to nothing.
        try {
            services_.DeleteFile(entry.KabegamiPath);
        } catch (const PlatformError&) {
        }
    }
    return {written ? RegisterOutcome::Registered : RegisterOutcome::NotWritten, name,
            std::nullopt};
}

void Registrar::CopyToPicFolder(const std::string& folder, const std::string& name,
                                std::string& kabegamiPath, std::string& copiedToPic) {
    const int driveType = GetRootDriveType(folder);
    CheckSourceIsThere(folder, name);
    if (driveType == DriveType::Fixed) {
        kabegamiPath = folder + name;
        copiedToPic = "0";
        return;
    }
    const std::string target = PicFolder() + name;
    services_.CopyFile(folder + name, target);
    kabegamiPath = target;
    copiedToPic = "1";
}

bool Registrar::Remove(const std::vector<bool>& selected) {
    BackupKabegamiList();
    RemoveSelectedEntries(selected);
    const bool written = SaveKabegamiList();
    // The copies go only once the list without their entries is on disk: a list that could
    // not be written still names them.
    if (written) {
        for (std::size_t i = 0; i < kabegamiBackup_.size() && i < selected.size(); ++i) {
            if (selected[i])
                DeleteCopiedFile(std::string(kabegamiBackup_[i].KabegamiPath),
                                 kabegamiBackup_[i].CopiedToPic);
        }
    }
    return written;
}

void Registrar::BackupKabegamiList() {
    kabegamiBackup_ = module_.KabegamiList;
}

void Registrar::RemoveSelectedEntries(const std::vector<bool>& selected) {
    module_.KabegamiList = WithoutSelected(kabegamiBackup_, selected);
}

bool Registrar::SaveKabegamiList() {
    const bool written = module_.WriteKabegamiList();
    module_.LoadKabegamiList();
    return written;
}

void Registrar::DeleteCopiedFile(const std::string& kabegamiPath, std::string_view copiedToPic) {
    if (copiedToPic != "1")
        return;
    try {
        // Whatever the list file says, nothing outside the program's own Pic/ is deleted.
        const std::string picFolder = services_.ResolvePath(PicFolder());
        if (!LiesInside(services_.ResolvePath(kabegamiPath), picFolder))
            return;
        if (UsedByList(kabegamiPath))
            return;
        services_.DeleteFile(kabegamiPath);
    } catch (const PlatformError&) {
    }
}

bool Registrar::UsedByList(const std::string& path) const {
    // Only an entry that names a file of the same name is worth resolving.
    const std::string_view name = FileNameOf(path);
    std::string resolved;
    for (const KabegamiEntryView entry : module_.KabegamiList) {
        if (FileNameOf(entry.KabegamiPath) != name)
            continue;
        if (resolved.empty())
            resolved = services_.ResolvePath(path);
        if (services_.ResolvePath(std::string(entry.KabegamiPath)) == resolved)
            return true;
    }
    return false;
}

} // namespace velmora
