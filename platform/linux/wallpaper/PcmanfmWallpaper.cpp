// SPDX-License-Identifier: MIT
#include "PcmanfmWallpaper.h"

#include "AlternateFile.h"
#include "DesktopWindow.h"
#include "Files.h"
#include "PlatformError.h"
#include "RunCommand.h"
#include "SystemServices.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>

namespace velmora::linux_impl {

namespace {

// A small picture of one colour, for a desktop that cannot be told to show no picture.
QByteArray PlainPicture() {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bytes;
}

} // namespace

QVersionNumber PcmanfmVersionOf(const QByteArray& output) {
    static const QRegularExpression number(QStringLiteral("(\\d+(\\.\\d+)+)"));
    const QRegularExpressionMatch match = number.match(QString::fromUtf8(output));
    return match.hasMatch() ? QVersionNumber::fromString(match.captured(1)) : QVersionNumber();
}

void PcmanfmWallpaper::Set(const QString& bmpPath, int flags) {
    if (!bmpPath.isEmpty() && !QFileInfo::exists(bmpPath))
        throw PlatformError(Err::FileNotFound);
    CheckDesktopRuns();
    if (bmpPath.isEmpty())
        ShowNoPicture();
    else
        ShowPicture(QFileInfo(bmpPath).absoluteFilePath(),
                    (flags & WallpaperFlags::Store) == WallpaperFlags::Store);
}

void PcmanfmWallpaper::CheckDesktopRuns() const {
    // Without its desktop running, the command would become the desktop itself and never
    // end. Where X cannot tell (a Wayland session), the command's time limit stops it.
    if (HasDesktopWindowOf(program_) == false)
        throw PlatformError(
            Err::NotSupported,
            QStringLiteral("デスクトップ (%1 --desktop) が動いていないため、壁紙を設定できません。")
                .arg(program_));
}

bool PcmanfmWallpaper::CommandLineModesWork() {
    if (!IsQt())
        return true;
    if (!version_)
        version_ = PcmanfmVersionOf(RunCommand(program_, {QStringLiteral("--version")}));
    return version_->isNull() || *version_ >= QVersionNumber(1, 4);
}

void PcmanfmWallpaper::ShowPicture(const QString& file, bool store) {
    folder_ = QFileInfo(file).path();
    // The desktop reloads the picture only when its name changes, and the program always
    // writes the same name: the other name is shown when this one may be showing already
    // (as it is at start, after the last run stored it). At the end (store) the picture is
    // named by its own file name.
    QString shown = file;
    if (!store) {
        const QString alternate = AlternateNameOf(file);
        MirrorFile(file, alternate);
        if (!shown_ || *shown_ == file)
            shown = alternate;
    }
    QString mode = QStringLiteral("crop");
    if (IsQt())
        mode = CommandLineModesWork() ? QStringLiteral("zoom") : QStringLiteral("stretch");
    Run({QStringLiteral("--set-wallpaper"), shown, QStringLiteral("--wallpaper-mode"), mode});
    shown_ = shown;
}

void PcmanfmWallpaper::ShowNoPicture() {
    if (CommandLineModesWork()) {
        Run({QStringLiteral("--wallpaper-mode"), QStringLiteral("color")});
        return;
    }
    // Older pcmanfm-qt would keep its colour-only mode through the next pictures: it is
    // shown a plain black picture instead, which keeps the mode pictures are shown in.
    const QString folder = folder_.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::TempLocation)
                               : folder_;
    const QString plain = QDir(folder).filePath(QStringLiteral(".velmora-plain.BMP"));
    if (shown_ && *shown_ == plain)
        return;
    const QByteArray picture = PlainPicture();
    WriteFileAtomically(plain, std::string_view(picture.constData(), std::size_t(picture.size())));
    Run({QStringLiteral("--set-wallpaper"), plain, QStringLiteral("--wallpaper-mode"),
         QStringLiteral("stretch")});
    shown_ = plain;
}

void PcmanfmWallpaper::Run(const QStringList& arguments) {
    RunCommand(program_, arguments);
}

} // namespace velmora::linux_impl
