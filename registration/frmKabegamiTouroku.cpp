#include "frmKabegamiTouroku.h"

#include "mdlKabegami.h"

namespace velmora {

frmKabegamiTouroku::frmKabegamiTouroku(mdlKabegami& module, QWidget* parent)
    : QDialog(parent), module_(module) {
    setWindowTitle(QStringLiteral("壁紙リスト登録"));
}

} // namespace velmora
