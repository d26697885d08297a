// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

namespace velmora::test {

// What a desktop test needs beside the private X server and folders that tests/run-test.sh
// gives every test it starts.
struct SessionNeeds {
    bool dbus = false;  // a D-Bus session of its own
    bool dconf = false; // and dconf as the settings store
};

// Why a desktop test must not run here, or empty when it may: it changes wallpapers and
// settings, so it runs only in the private session ctest starts for it, never on the
// developer's own desktop.
inline QString NotInPrivateSession(SessionNeeds needs = {}) {
    const QString ctest = QStringLiteral("runs only through ctest, in a private session");
    if (!qEnvironmentVariable("XDG_RUNTIME_DIR").startsWith(QLatin1String("/tmp/velmora-test.")))
        return ctest;
    if (needs.dbus && qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return ctest + QStringLiteral(" with its own D-Bus session");
    if (needs.dconf && qgetenv("GSETTINGS_BACKEND") != "dconf")
        return ctest + QStringLiteral(" with dconf as its settings store");
    return {};
}

} // namespace velmora::test
