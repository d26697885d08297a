#include "FrmVer.h"

namespace velmora {

FrmVer::FrmVer(Platform& platform, QWidget* registrationWindow)
    : QDialog(registrationWindow), platform_(platform) {
    setWindowTitle(QStringLiteral("バージョン情報"));
}

} // namespace velmora
