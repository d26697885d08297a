#include "mdlKabegami.h"

#include "ListFileFormat.h"
#include "Platform.h"
#include "PlatformError.h"

namespace velmora {

namespace {
const QString kListFileName = QStringLiteral("Kabegamilist.def");
const QString kBackupSuffix = QStringLiteral(".bak");
} // namespace

mdlKabegami::mdlKabegami(Platform& platform) : platform_(platform) {}

QString mdlKabegami::GetAppPath() const {
    QString path = platform_.AppFolder();
    if (!path.endsWith(PathSeparator()))
        path += PathSeparator();
    return path;
}

QString mdlKabegami::ListFilePath() const {
    return AppPath + kListFileName;
}

void mdlKabegami::LoadKabegamiList() {
    KabegamiList.clear();
    ListFileContent content;
    try {
        content = ParseListFile(platform_.ReadFile(ListFilePath()));
    } catch (const PlatformError& error) {
        if (error.Number != Err::FileNotFound) {
            lastLoadIncomplete_ = true;
            ShowErrorMessage(error);
        }
        return;
    }
    if (content.LastDrive)
        LastDrive = *content.LastDrive;
    if (content.LastFolder)
        LastFolder = *content.LastFolder;
    if (content.FileCopySetting)
        FileCopySetting = *content.FileCopySetting;
    KabegamiList = std::move(content.Entries);
    lastLoadIncomplete_ = content.ErrorNumber != 0;
    if (content.ErrorNumber != 0)
        ShowErrorMessage(PlatformError(content.ErrorNumber));
}

bool mdlKabegami::WriteKabegamiList() {
    try {
        const QByteArray bytes =
            FormatListFile({LastDrive, LastFolder, FileCopySetting}, KabegamiList);
        if (lastLoadIncomplete_ && platform_.FileExists(ListFilePath())) {
            // What could not be read is the user's all the same: keep it before replacing it.
            platform_.WriteFileAtomically(ListFilePath() + kBackupSuffix,
                                          platform_.ReadFile(ListFilePath()));
        }
        platform_.WriteFileAtomically(ListFilePath(), bytes);
    } catch (const PlatformError& error) {
        ShowErrorMessage(error);
        return false;
    }
    lastLoadIncomplete_ = false;
    return true;
}

void mdlKabegami::ShowErrorMessage(const PlatformError& error) const {
    ShowErrorMessage(error.Number, error.Description);
}

void mdlKabegami::ShowErrorMessage(int number, const QString& description) const {
    platform_.MsgBox(QString::number(number) + u':' + description, MsgBoxStyle::Critical,
                     QStringLiteral("エラー"));
}

} // namespace velmora
