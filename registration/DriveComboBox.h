// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

namespace velmora {

class Platform;

// The drive selector: the mounted volumes by the names the platform gives them.
class DriveComboBox : public QComboBox {
    Q_OBJECT
  public:
    DriveComboBox(Platform& platform, QWidget* parent = nullptr);

    // Reads the volumes afresh and shows start (a drive name) without raising Change.
    void Fill(const QString& start);

    QString Drive() const { return currentText(); }
    // Shows the named drive, raising Change when it differs from the shown one. Throws
    // PlatformError (71) when no such drive is mounted.
    void SetDrive(const QString& name);

  Q_SIGNALS:
    void Change();

  private:
    Platform& platform_;
};

} // namespace velmora
