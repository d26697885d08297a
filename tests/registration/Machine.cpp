// SPDX-License-Identifier: MIT
#include "Machine.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>

namespace velmora::test {

Machine::Machine() : module(platform) {
    for (const char* drive : {"c", "cdrom", "net", "ram", "usb"})
        MakeFolder(Drive(QLatin1String(drive)));
    MakeFolder(Pic());
    platform.appFolder = Drive(QStringLiteral("c")) + QStringLiteral("app");
    for (const char* drive : {"c", "cdrom", "net", "ram", "usb"})
        platform.drives.push_back(
            {ToUtf8(DriveName(QLatin1String(drive))), ToUtf8(Drive(QLatin1String(drive)))});
    platform.driveTypes[Drive(QStringLiteral("cdrom"))] = DriveType::CdRom;
    platform.driveTypes[Drive(QStringLiteral("net"))] = DriveType::Remote;
    platform.driveTypes[Drive(QStringLiteral("ram"))] = DriveType::RamDisk;
    platform.driveTypes[Drive(QStringLiteral("usb"))] = DriveType::Removable;

    // What the changer window sets at its start.
    module.AppPath = module.GetAppPath();
    module.LastDrive = platform.DriveOf(module.AppPath).Name;
    module.LastFolder = module.AppPath;
    module.FileCopySetting = "1";
}

QString Machine::Drive(const QString& which) const {
    return tmp.path() + QStringLiteral("/drives/") + which + u'/';
}

QString Machine::DriveName(const QString& which) {
    if (which == u"c")
        return QStringLiteral("c [SYSTEM]");
    return which + QStringLiteral(" [") + which.toUpper() + u']';
}

QString Machine::MakeFolder(const QString& path) const {
    QDir().mkpath(path);
    return path.endsWith(u'/') ? path : path + u'/';
}

void Machine::Picture(const QString& path, QSize size) const {
    WritePicture(path, size, Qt::darkCyan);
}

QByteArray Machine::ReadListFile() const {
    QFile file(ListFile());
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<no list file>");
    return file.readAll();
}

void Machine::WriteListFile(const QByteArray& bytes) const {
    QFile file(ListFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

std::unique_ptr<frmKabegamiTouroku> Machine::Open() {
    auto window = std::make_unique<frmKabegamiTouroku>(module, platform, nullptr);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

QByteArray Machine::Lines(const QList<QStringList>& lines) {
    QByteArray bytes;
    for (const QStringList& line : lines)
        bytes += line.join(u',').toUtf8() + "\r\n";
    return bytes;
}

void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(list->item(row)).center());
}

void DoubleClickRow(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

QList<int> SelectedRows(const QListWidget* list) {
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            rows << i;
    }
    return rows;
}

} // namespace velmora::test
