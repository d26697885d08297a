// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

#include <QString>
#include <QVersionNumber>

#include <optional>

namespace velmora::linux_impl {

// LXDE and LXQt: the desktop's file manager (pcmanfm, pcmanfm-qt) sets it. The command
// hands the picture to the running desktop (pcmanfm --desktop), which shows it and stores
// it in its own settings: flags 0 and 3 both store.
class PcmanfmWallpaper : public DesktopWallpaper {
  public:
    explicit PcmanfmWallpaper(QString program) : program_(std::move(program)) {}
    void Set(const QString& bmpPath, int flags) override;

  private:
    bool IsQt() const { return program_ == QLatin1String("pcmanfm-qt"); }
    // pcmanfm-qt before 1.4 knows no "zoom" on its command line and never leaves the
    // colour-only mode it was told through it.
    bool CommandLineModesWork();
    void CheckDesktopRuns() const;
    void ShowPicture(const QString& file, bool store);
    void ShowNoPicture();
    void Run(const QStringList& arguments);

    QString program_;
    std::optional<QVersionNumber> version_;
    std::optional<QString> shown_; // the file the desktop was last told to show
    QString folder_;               // where the program's pictures are
};

// The version a "pcmanfm-qt --version" output names; null when it names none.
QVersionNumber PcmanfmVersionOf(const QByteArray& output);

} // namespace velmora::linux_impl
