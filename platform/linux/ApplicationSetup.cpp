#include "ApplicationSetup.h"

#include <QByteArray>
#include <QtGlobal>

namespace velmora {

void PrepareApplicationPlatform() {
    // Wayland lets no client place its own window; through XWayland the changer window can
    // sit in its corner. The user's own choice of platform is left alone.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace velmora
