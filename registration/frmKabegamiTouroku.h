#pragma once

#include <QDialog>

namespace velmora {

class mdlKabegami;

// The registration window: browsing, preview, registering and removing pictures.
class frmKabegamiTouroku : public QDialog {
    Q_OBJECT
public:
    frmKabegamiTouroku(mdlKabegami& module, QWidget* parent = nullptr);

private:
    mdlKabegami& module_;
};

} // namespace velmora
