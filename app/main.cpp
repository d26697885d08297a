#include "ApplicationSetup.h"
#include "LinuxPlatform.h"
#include "frmChangeKabegami.h"
#include "mdlKabegami.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    velmora::PrepareApplicationPlatform();
    QApplication app(argc, argv);
    velmora::LinuxPlatform platform;
    velmora::mdlKabegami module(platform);
    velmora::frmChangeKabegami form(module);
    // A second start ends here, before anything is shown.
    if (!form.Form_Load())
        return 0;
    form.show();
    form.Form_Activate();
    return app.exec();
}
