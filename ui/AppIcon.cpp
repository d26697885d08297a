// SPDX-License-Identifier: MIT
#include "AppIcon.h"

#include "Resources.h"

namespace velmora {

QIcon AppIcon() {
    InitResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/velmora/icon32.png"), QSize(32, 32));
    return icon;
}

} // namespace velmora
