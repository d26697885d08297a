#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::linux_impl {

// One backdrop of xfdesktop: a monitor's workspace, its properties below
// "/backdrop/screen<S>/monitor<NAME>/workspace<N>" in the xfce4-desktop channel.
struct XfceBackdrop {
    QString base;
    std::optional<QString> lastImage;
    std::optional<int> imageStyle;
};

// The backdrops named in the output of "xfconf-query -c xfce4-desktop -l -v", in order.
QList<XfceBackdrop> BackdropsOfListing(const QByteArray& listing);

// The backdrops xfdesktop itself creates for these monitors ("monitor" and the RandR output's
// name) and workspaces, for a channel that has none yet.
QStringList UsualBackdrops(const QStringList& monitorNames, int workspaces);

// image-style values: 0 none, 1 centred, 2 tiled, 3 stretched, 4 scaled, 5 zoomed, 6 spanning.
constexpr int kXfceNoImage = 0;
constexpr int kXfceZoomed = 5;
bool IsXfcePictureStyle(int style);

} // namespace velmora::linux_impl
