// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntry.h"

#include <QList>
#include <QString>

namespace velmora {

// The folder with exactly the one trailing separator that names in the list end in.
QString WithSeparator(const QString& folder);

// Why a picture cannot join the list.
enum class Conflict {
    None,
    AlreadyRegistered, // the same folder and name are in the list
    NameTaken,         // its copy would collide with a registered name in Pic/
};

// Scans the list from its first entry; the first entry that meets either test decides.
// nameTest is on only when the picture is to be copied into Pic/. Letter case is ignored for
// ASCII and full-width Latin letters; every other character must match as it is.
Conflict FindConflict(const KabegamiEntries& list, const QString& folder, const QString& name,
                      bool nameTest);

QString AlreadyRegisteredMessage(const QString& name);
QString AlreadyRegisteredTitle();
QString NameTakenMessage(const QString& name);
QString NotStorableMessage(const QString& name);
// What keeps a picture out of the list file, to be named in NotStorableMessage: its folder,
// its name, or the path it would be used under; empty when all can be stored.
QString UnstorableName(const QString& folder, const QString& name, const QString& ownPath);
QString CannotRegisterTitle();
// Shown while a register action runs: the picture being handled (from 1) of how many.
QString RegisteringProgress(int current, int total);

// The entries of backup whose rows are not selected, in their order.
KabegamiEntries WithoutSelected(const KabegamiEntries& backup, const QList<bool>& selected);

// Whether a resolved path lies below a resolved folder (the folder itself does not count).
bool LiesInside(const QString& resolvedPath, const QString& resolvedFolder);

} // namespace velmora
