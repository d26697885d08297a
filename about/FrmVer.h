#pragma once

#include <QDialog>

namespace velmora {

class Platform;

// The About window.
class FrmVer : public QDialog {
    Q_OBJECT
public:
    FrmVer(Platform& platform, QWidget* registrationWindow);

private:
    Platform& platform_;
};

} // namespace velmora
