// SPDX-License-Identifier: MIT
#include "Application.h"
#include "ApplicationSetup.h"
#include "CommandLine.h"
#include "Platform.h"
#include "frmChangeKabegami.h"
#include "mdlKabegami.h"

#include <exception>

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = velmora::AnswerCommandLine(argc, argv))
        return *status;
    if (!velmora::HasDisplay())
        return 1;
    velmora::PrepareApplicationPlatform();
    velmora::Application app(argc, argv);
    const std::unique_ptr<velmora::Platform> platform = velmora::CreatePlatform();
    velmora::mdlKabegami module(*platform);
    app.SetModule(&module);
    try {
        velmora::frmChangeKabegami form(module, *platform);
        // A second start ends here, before anything is shown.
        if (!form.Form_Load())
            return form.StartFailed() ? 1 : 0;
        form.show();
        form.Form_Activate();
        return app.exec();
    } catch (...) {
        // Outside the event loop nothing can go on: say what happened, then end.
        velmora::ReportUnhandledException(std::current_exception(), &module);
        return 1;
    }
}
