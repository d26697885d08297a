// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

typedef struct _GDBusConnection GDBusConnection;

namespace velmora::linux_impl {

// One backdrop of xfdesktop: a monitor's workspace, its properties below
// "/backdrop/screen<S>/monitor<NAME>/workspace<N>" in the xfce4-desktop channel.
struct XfceBackdrop {
    QString base;
    std::optional<QString> lastImage;
    std::optional<int> imageStyle;
};

// The backdrops named among these properties of the xfce4-desktop channel (name → value,
// as XfconfChannel::Properties gives them), in the order of their names.
QList<XfceBackdrop> BackdropsOfProperties(const QVariantMap& properties);

// The backdrops xfdesktop itself creates for these monitors ("monitor" and the RandR output's
// name) and workspaces, for a channel that has none yet.
QStringList UsualBackdrops(const QStringList& monitorNames, int workspaces);

// image-style values: 0 none, 1 centred, 2 tiled, 3 stretched, 4 scaled, 5 zoomed, 6 spanning.
constexpr int kXfceNoImage = 0;
constexpr int kXfceZoomed = 5;
bool IsXfcePictureStyle(int style);

// One channel of xfconfd, the store of XFCE's settings, asked over the session bus (which
// starts xfconfd when needed). Failures throw PlatformError with a Japanese description.
class XfconfChannel {
  public:
    explicit XfconfChannel(QString channel);
    ~XfconfChannel();
    XfconfChannel(const XfconfChannel&) = delete;
    XfconfChannel& operator=(const XfconfChannel&) = delete;

    // Every property below base: strings as QString, integers as qlonglong, Booleans as
    // bool, numbers as double, arrays as QVariantList. Empty when there is none.
    QVariantMap Properties(const QString& base) const;
    void SetString(const QString& property, const QString& value);
    void SetInt(const QString& property, int value);
    // An array of doubles, as xfdesktop keeps its colours.
    void SetDoubles(const QString& property, const QList<double>& values);

  private:
    QString channel_;
    GDBusConnection* bus_;
};

} // namespace velmora::linux_impl
