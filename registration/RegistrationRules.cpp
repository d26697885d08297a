#include "RegistrationRules.h"

#include "Platform.h"

namespace velmora {

QString FoldCase(const QString& text) {
    QString folded = text;
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            c = QChar(char16_t(u - u'a' + u'A'));
        else if (u >= u'ａ' && u <= u'ｚ')
            c = QChar(char16_t(u - u'ａ' + u'Ａ'));
    }
    return folded;
}

QString WithSeparator(const QString& folder) {
    return folder.endsWith(PathSeparator()) ? folder : folder + PathSeparator();
}

Conflict FindConflict(const KabegamiEntries& list, const QString& folder, const QString& name,
                      bool nameTest) {
    const QString place = FoldCase(folder + name);
    const QString foldedName = FoldCase(name);
    for (const KabegamiEntry& entry : list) {
        if (FoldCase(entry.Folder + entry.FileName) == place)
            return Conflict::AlreadyRegistered;
        if (nameTest && FoldCase(entry.FileName) == foldedName)
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

QString CannotRegisterTitle() {
    return QStringLiteral("登録できません");
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
