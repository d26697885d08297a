// SPDX-License-Identifier: MIT
// Start-up with a long list: from the start of the process to the changer window's first
// paint, beside a Qt Widgets window that does nothing (the floor of any Qt program).
#include "Bench.h"

#include "BenchPlatform.h"
#include "ListFileFormat.h"
#include "QtText.h"
#include "frmChangeKabegami.h"
#include "mdlKabegami.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>

namespace velmora::bench {

namespace {

constexpr int kRuns = 5;

// The bench's platform on a data folder of its own instead of the program's folder.
class StartupPlatform : public BenchPlatform {
  public:
    explicit StartupPlatform(std::string folder) : folder_(std::move(folder)) {}
    std::string AppFolder() override { return folder_; }

  private:
    std::string folder_;
};

// Ends the event loop at the watched window's first paint.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QCoreApplication::exit(0);
        return QObject::eventFilter(watched, event);
    }
};

void WriteList(const QString& folder, int entries) {
    KabegamiEntries list;
    list.reserve(std::size_t(entries));
    for (int i = 0; i < entries; ++i) {
        const std::string folderName =
            "/home/user/Pictures/旅行/album-" + std::to_string(i % 97) + "/";
        const std::string name = "IMG_" + std::to_string(100000 + i) + " 夕焼けの海.jpg";
        list.push_back({folderName, name, folderName + name, i % 5 == 0 ? "1" : "0"});
    }
    StartupPlatform platform(ToUtf8(folder));
    platform.WriteFileAtomically(ToUtf8(folder + "/Kabegamilist.def"),
                                 FormatListFile({"/ [root]", "/home/user/", "1"}, list));
}

int Run(const QStringList&) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const ChildResult hello = BestOf(kRuns, [] { return RunSelf(QStringLiteral("Startup"), {}); });
    if (hello.exitStatus != 0)
        return 1;
    std::printf("a Qt Widgets window that does nothing: first paint after %s\n",
                qPrintable(Ms(hello.wallSeconds)));
    for (const int entries : {0, 1000, 10000, 100000}) {
        const QString folder = dir.path() + QStringLiteral("/list-%1").arg(entries);
        QDir().mkpath(folder);
        if (entries > 0)
            WriteList(folder, entries);
        const ChildResult ours =
            BestOf(kRuns, [&] { return RunSelf(QStringLiteral("Startup"), {folder}); });
        if (ours.exitStatus != 0)
            return 1;
        std::printf("  %6d entries: changer window painted after %s (%.2fx), peak %s\n", entries,
                    qPrintable(Ms(ours.wallSeconds)), ours.wallSeconds / hello.wallSeconds,
                    qPrintable(Mib(ours.peakRssKiB)));
    }
    return 0;
}

// No argument: an empty window. A folder: the program's start on that data folder, as main
// does it, until the changer window first paints.
int Child(const QStringList& args) {
    FirstPaint firstPaint;
    if (args.isEmpty()) {
        QWidget hello;
        hello.resize(72, 24);
        hello.installEventFilter(&firstPaint);
        hello.show();
        return QApplication::exec();
    }
    StartupPlatform platform(ToUtf8(args[0]));
    mdlKabegami module(platform);
    frmChangeKabegami form(module, platform);
    if (!form.Form_Load())
        return 3;
    form.installEventFilter(&firstPaint);
    form.show();
    form.Form_Activate();
    const int status = QApplication::exec();
    std::printf("entries %d\n", module.UBound() + 1);
    return status;
}

} // namespace

BenchSection StartupBenchSection() {
    return {"Startup", &Run, &Child};
}

} // namespace velmora::bench
