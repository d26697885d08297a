// SPDX-License-Identifier: MIT
// Registering: 1,000 pictures selected at once into a list of 10,000 entries, each accepted
// file written crash-safely and read back before the next, through the real window on the
// offscreen platform and the real Linux services.
#include "Bench.h"

#include "BenchPlatform.h"
#include "FileListBox.h"
#include "QtText.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>

namespace velmora::bench {

namespace {

constexpr int kExisting = 10000;
constexpr int kNew = 1000;

int Run(const QStringList&) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString app = dir.path() + "/";
    const QString pictures = app + "pictures";
    QDir().mkpath(pictures);
    QImage image(16, 16, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    for (int i = 0; i < kNew; ++i)
        image.save(pictures + QStringLiteral("/new-%1.bmp").arg(i, 4, 10, QLatin1Char('0')), "BMP");

    BenchPlatform platform;
    mdlKabegami module(platform);
    module.AppPath = ToUtf8(app);
    module.LastDrive = platform.DriveOf(ToUtf8(pictures)).Name;
    module.LastFolder = ToUtf8(pictures + "/");
    module.FileCopySetting = "0";
    for (int i = 0; i < kExisting; ++i) {
        const std::string name = "old-" + std::to_string(i) + ".jpg";
        module.KabegamiList.push_back(
            {"/home/user/Pictures/", name, "/home/user/Pictures/" + name, "0"});
    }
    if (!module.WriteKabegamiList())
        return 1;

    frmKabegamiTouroku window(module, platform);
    window.File1()->selectAll();
    const double start = NowSeconds();
    window.cmdTouroku_Click();
    const double seconds = NowSeconds() - start;
    if (module.KabegamiList.size() != kExisting + kNew || platform.shown != 0) {
        std::printf("registration failed: %lld entries, %d messages\n",
                    static_cast<long long>(module.KabegamiList.size()), platform.shown);
        return 1;
    }
    std::printf("%d pictures into a list of %d entries: %.2f s in all, %.1f ms each\n", kNew,
                kExisting, seconds, seconds * 1000 / kNew);
    return 0;
}

int Child(const QStringList&) {
    return 2;
}

} // namespace

BenchSection RegistrationBenchSection() {
    return {"Registration", &Run, &Child};
}

} // namespace velmora::bench
