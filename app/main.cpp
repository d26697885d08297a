#include "ApplicationSetup.h"
#include "CommandLine.h"
#include "LinuxPlatform.h"
#include "frmChangeKabegami.h"
#include "mdlKabegami.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = velmora::AnswerCommandLine(argc, argv))
        return *status;
    if (!velmora::HasDisplay())
        return 1;
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
