// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace velmora {

// Tells when volumes are mounted or unmounted. The plain one never does: it stands for a
// platform that cannot tell.
class MountWatcher : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

  Q_SIGNALS:
    // The machine's volumes are not those of before.
    void Changed();
};

} // namespace velmora
