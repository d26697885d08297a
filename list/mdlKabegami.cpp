// SPDX-License-Identifier: MIT
#include "mdlKabegami.h"

#include "ListFileFormat.h"
#include "Platform.h"
#include "PlatformError.h"

#include <QCryptographicHash>

#include <new>

namespace velmora {

namespace {
const QString kListFileName = QStringLiteral("Kabegamilist.def");
const QString kBackupSuffix = QStringLiteral(".bak");
const QString kChangedOnDiskMessage =
    QStringLiteral("登録済みリストのファイル（Kabegamilist.def）が、読み込んだ後にほかで変更"
                   "されています。その変更を消さないよう、今回の登録・削除は保存しませんでした。"
                   "ファイルの内容を読み込み直しますので、もう一度操作してください。");
const QString kChangedOnDiskTitle = QStringLiteral("保存できません");

// The nearest folder at or above folder whose name the file can hold; empty when none can.
QString StorableFolder(QString folder) {
    while (!folder.isEmpty() && !IsStorableField(folder)) {
        const qsizetype cut = folder.lastIndexOf(PathSeparator(), folder.size() - 2);
        folder = cut < 0 ? QString() : folder.left(cut + PathSeparator().size());
    }
    return folder;
}

// A drive's name has no folder above it: one the file cannot hold is not remembered.
QString StorableDrive(const QString& drive) {
    return IsStorableField(drive) ? drive : QString();
}
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

void mdlKabegami::Remember(const std::optional<QByteArray>& bytes) {
    seen_ = bytes ? QCryptographicHash::hash(*bytes, QCryptographicHash::Md5) : QByteArray();
}

void mdlKabegami::LoadKabegamiList() {
    KabegamiList.clear();
    ListFileContent content;
    std::optional<PlatformError> readError;
    try {
        const QByteArray bytes = platform_.ReadFile(ListFilePath());
        Remember(bytes);
        content = ParseListFile(bytes);
    } catch (const ReadError& error) {
        // The entries complete before the failing read are the user's list all the same.
        seen_.reset();
        readError = error;
        content = ParseListFile(error.BytesRead, true);
    } catch (const PlatformError& error) {
        seen_.reset();
        if (error.Number == Err::FileNotFound) {
            Remember(std::nullopt);
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
        LastDrive = *content.LastDrive;
    if (content.LastFolder)
        LastFolder = *content.LastFolder;
    if (content.FileCopySetting)
        FileCopySetting = *content.FileCopySetting;
    KabegamiList = std::move(content.Entries);
    backupBeforeRewrite_ =
        readError || content.ErrorNumber != 0 || content.Encoding != ListEncoding::Utf8;
    if (readError)
        ShowErrorMessage(*readError);
    else if (content.ErrorNumber != 0 && content.ErrorDescription.isEmpty())
        ShowErrorMessage(PlatformError(content.ErrorNumber));
    else if (content.ErrorNumber != 0)
        ShowErrorMessage(content.ErrorNumber, content.ErrorDescription);
}

bool mdlKabegami::WriteKabegamiList() {
    try {
        const ListHeader header{StorableDrive(LastDrive), StorableFolder(LastFolder),
                                IsStorableField(FileCopySetting) ? FileCopySetting : QString()};
        const QByteArray bytes = FormatListFile(header, KabegamiList);
        std::optional<QByteArray> onDisk;
        if (seen_ || backupBeforeRewrite_) {
            try {
                onDisk = platform_.ReadFile(ListFilePath());
            } catch (const PlatformError& error) {
                if (error.Number != Err::FileNotFound)
                    throw;
            }
        }
        if (seen_) {
            const QByteArray now =
                onDisk ? QCryptographicHash::hash(*onDisk, QCryptographicHash::Md5) : QByteArray();
            if (now != *seen_) {
                platform_.MsgBox(kChangedOnDiskMessage, MsgBoxStyle::Critical, kChangedOnDiskTitle);
                return false;
            }
        }
        if (backupBeforeRewrite_ && onDisk) {
            // What could not be read, or was read in another encoding, is the user's all
            // the same: keep its bytes before replacing them.
            platform_.WriteFileAtomically(ListFilePath() + kBackupSuffix, *onDisk);
        }
        onDisk.reset();
        platform_.WriteFileAtomically(ListFilePath(), bytes);
        Remember(bytes);
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

void mdlKabegami::ShowErrorMessage(const PlatformError& error) const {
    ShowErrorMessage(error.Number, error.Description);
}

void mdlKabegami::ShowErrorMessage(int number, const QString& description) const {
    platform_.MsgBox(QString::number(number) + u':' + description, MsgBoxStyle::Critical,
                     QStringLiteral("エラー"));
}

} // namespace velmora
