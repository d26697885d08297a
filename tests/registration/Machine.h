// SPDX-License-Identifier: MIT
// A made-up machine for the registration window's tests: a temporary folder holding one
// folder per drive (a fixed disk with the program's folder, a CD-ROM, a network share, a RAM
// disk and a USB stick), the test double answering for the operating system.
#pragma once

#include "FakePlatform.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QListWidget>
#include <QSize>
#include <QTemporaryDir>

#include <memory>

namespace velmora::test {

// Records the box each preview was decoded for.
class PreviewRecordingPlatform : public FakePlatform {
  public:
    using FakePlatform::FakePlatform;
    QList<QSize> previewBoxes;
    QStringList loadedPictures;

    PictureInfo LoadPicture(const std::string& path) override {
        loadedPictures << FromUtf8(path);
        return FakePlatform::LoadPicture(path);
    }
    QImage LoadPreview(const PictureInfo& picture, const QSize& box) override {
        previewBoxes << box;
        return FakePlatform::LoadPreview(picture, box);
    }
};

class Machine {
  public:
    Machine();

    QTemporaryDir tmp;
    PreviewRecordingPlatform platform;
    mdlKabegami module;

    // Folders with a trailing "/".
    QString Drive(const QString& which) const; // "c", "cdrom", "net", "ram", "usb"
    QString App() const { return Drive(QStringLiteral("c")) + QStringLiteral("app/"); }
    QString Pic() const { return App() + QStringLiteral("Pic/"); }
    QString ListFile() const { return App() + QStringLiteral("Kabegamilist.def"); }
    static QString DriveName(const QString& which);

    // Makes folder (and its parents) and returns it with a trailing "/".
    QString MakeFolder(const QString& path) const;
    void Picture(const QString& path, QSize size = QSize(64, 48)) const;
    QByteArray ReadListFile() const;
    void WriteListFile(const QByteArray& bytes) const;

    // The window as the changer window opens it, shown on the offscreen screen.
    std::unique_ptr<frmKabegamiTouroku> Open();

    // The whole content of a list file: header, then one line per entry.
    static QByteArray Lines(const QList<QStringList>& lines);
};

// Clicks a row of a list as the user would (Ctrl or Shift held as given).
void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {});
void DoubleClickRow(QListWidget* list, int row);
QStringList Rows(const QListWidget* list);
QList<int> SelectedRows(const QListWidget* list);

} // namespace velmora::test
