// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

// A headless sway with two 1280x720 outputs side by side, run as an unprivileged user when
// the tests run as root (sway refuses root), with its screen read back through grim.
class SwayTestSession {
  public:
    static constexpr int kOutputWidth = 1280;
    static constexpr int kOutputHeight = 720;
    static constexpr int kOutputs = 2;

    ~SwayTestSession();

    // Starts sway with config; returns why it cannot run here, or an empty string.
    QString Start(const QString& config);
    void Stop();

    // Points this process's SWAYSOCK and WAYLAND_DISPLAY at the session.
    void Enter() const;

    // A folder sway's user can read, for the pictures shown.
    QString PictureFolder() const { return pictures_; }

    QImage Grab() const;
    QString WaylandSocket() const { return wayland_; }

  private:
    QTemporaryDir dir_{QStringLiteral("/tmp/velmora-sway.XXXXXX")};
    QString pictures_;
    QString wayland_;
    QString ipc_;
    pid_t swayPid_ = 0;
    QProcess launcher_;
};

// Writes picture as a BMP at path the way the program does: a new file renamed over the old,
// readable by sway's user.
bool WriteBmp(const QString& path, const QImage& picture);

// A 4:3 picture of four coloured quarters: top left, top right, bottom left, bottom right.
QImage Quarters(const QList<QColor>& colours);

// Waits until every output shows what is expected: the four quarters of a picture filling
// the output (cut at top and bottom, as 4:3 on 16:9 is), or one colour everywhere. Returns
// an empty string, or what the screen showed instead.
QString WaitForQuarters(const SwayTestSession& session, const QList<QColor>& colours,
                        int timeoutMs = 5000);
QString WaitForColour(const SwayTestSession& session, const QColor& colour, int timeoutMs = 5000);
