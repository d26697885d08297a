// SPDX-License-Identifier: MIT
#include "Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must stand outside any namespace.
static void InitVelmoraResources() { Q_INIT_RESOURCE(velmora); }

namespace velmora {

void InitResources() {
    static const bool done = (InitVelmoraResources(), true);
    Q_UNUSED(done);
}

} // namespace velmora
