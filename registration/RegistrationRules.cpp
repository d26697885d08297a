// SPDX-License-Identifier: MIT
#include "RegistrationRules.h"

#include "ListFileFormat.h"
#include "Platform.h"

namespace velmora {

namespace {

char16_t Fold(char16_t u) {
    if (u >= u'a' && u <= u'z')
        return char16_t(u - u'a' + u'A');
    if (u >= u'ａ' && u <= u'ｚ')
        return char16_t(u - u'ａ' + u'Ａ');
    return u;
}

// Whether a1 followed by a2 equals b1 followed by b2 with case folded, without joining them:
// the scan runs over the whole list for every picture.
bool EqualFolded(QStringView a1, QStringView a2, QStringView b1, QStringView b2) {
    if (a1.size() + a2.size() != b1.size() + b2.size())
        return false;
    const qsizetype n = a1.size() + a2.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t a = i < a1.size() ? a1[i].unicode() : a2[i - a1.size()].unicode();
        const char16_t b = i < b1.size() ? b1[i].unicode() : b2[i - b1.size()].unicode();
        if (a != b && Fold(a) != Fold(b))
            return false;
    }
    return true;
}

} // namespace

QString WithSeparator(const QString& folder) {
    return folder.endsWith(PathSeparator()) ? folder : folder + PathSeparator();
}

Conflict FindConflict(const KabegamiEntries& list, const QString& folder, const QString& name,
                      bool nameTest) {
    for (const KabegamiEntry& entry : list) {
        if (EqualFolded(entry.Folder, entry.FileName, folder, name))
            return Conflict::AlreadyRegistered;
        if (nameTest && EqualFolded(entry.FileName, {}, name, {}))
            return Conflict::NameTaken;
    }
    return Conflict::None;
}

QString AlreadyRegisteredMessage(const QString& name) {
    return name + QStringLiteral("は既に登録されています");
}

QString AlreadyRegisteredTitle() {
    return QStringLiteral("二重登録です");
}

QString NameTakenMessage(const QString& name) {
    return name + QStringLiteral("が登録済みリストに存在するためコピーできません");
}

QString NotStorableMessage(const QString& name) {
    return name +
           QStringLiteral("は登録済みリストに保存できない文字を名前に含むため登録できません");
}

QString UnstorableName(const QString& folder, const QString& name, const QString& ownPath) {
    // A replacement character stands for bytes that are no valid UTF-8: written back, it
    // would name another file.
    const auto storable = [](const QString& text) {
        return IsStorableField(text) && !text.contains(QChar::ReplacementCharacter);
    };
    if (!storable(folder))
        return folder;
    if (!storable(name))
        return name;
    return storable(ownPath) ? QString() : ownPath;
}

QString CannotRegisterTitle() {
    return QStringLiteral("登録できません");
}

QString RegisteringProgress(int current, int total) {
    return QStringLiteral("登録中 %1 / %2").arg(current).arg(total);
}

KabegamiEntries WithoutSelected(const KabegamiEntries& backup, const QList<bool>& selected) {
    KabegamiEntries kept;
    for (qsizetype i = 0; i < backup.size(); ++i) {
        if (i >= selected.size() || !selected[i])
            kept.append(backup[i]);
    }
    return kept;
}

bool LiesInside(const QString& resolvedPath, const QString& resolvedFolder) {
    if (resolvedFolder.isEmpty())
        return false;
    const QString prefix = WithSeparator(resolvedFolder);
    return resolvedPath.size() > prefix.size() && resolvedPath.startsWith(prefix);
}

} // namespace velmora
