// SPDX-License-Identifier: MIT
#include "UdevBlockDevices.h"

#include <QDir>
#include <QFile>

#include <libudev.h>

#include <memory>

namespace velmora::linux_impl {

namespace {

struct UdevDeleter {
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
    void operator()(udev_enumerate* enumerate) const { udev_enumerate_unref(enumerate); }
};
using Udev = std::unique_ptr<udev, UdevDeleter>;
using Device = std::unique_ptr<udev_device, UdevDeleter>;
using Enumerate = std::unique_ptr<udev_enumerate, UdevDeleter>;

QString FromC(const char* text) {
    return text ? QFile::decodeName(text) : QString();
}

Device BlockDevice(udev* context, const QString& name) {
    if (!context || name.isEmpty() || name.contains(u'/'))
        return {};
    return Device(
        udev_device_new_from_subsystem_sysname(context, "block", QFile::encodeName(name)));
}

} // namespace

QString UdevBlockDevices::MappedDevice(const QString& mappedName) const {
    if (mappedName.isEmpty())
        return {};
    Udev context(udev_new());
    Enumerate enumerate(context ? udev_enumerate_new(context.get()) : nullptr);
    if (!enumerate)
        return {};
    udev_enumerate_add_match_subsystem(enumerate.get(), "block");
    udev_enumerate_add_match_sysname(enumerate.get(), "dm-*");
    if (udev_enumerate_scan_devices(enumerate.get()) < 0)
        return {};
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        Device device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (device && FromC(udev_device_get_sysattr_value(device.get(), "dm/name")) == mappedName)
            return FromC(udev_device_get_sysname(device.get()));
    }
    return {};
}

QString UdevBlockDevices::DiskOf(const QString& device) const {
    Udev context(udev_new());
    Device found = BlockDevice(context.get(), device);
    if (!found)
        return {};
    if (qstrcmp(udev_device_get_devtype(found.get()), "partition") != 0)
        return FromC(udev_device_get_sysname(found.get()));
    // The parent is owned by the child: no reference of its own.
    udev_device* disk = udev_device_get_parent_with_subsystem_devtype(found.get(), "block", "disk");
    return disk ? FromC(udev_device_get_sysname(disk)) : QString();
}

BlockDisk UdevBlockDevices::Disk(const QString& disk) const {
    Udev context(udev_new());
    Device found = BlockDevice(context.get(), disk);
    BlockDisk facts;
    if (!found)
        return facts;
    facts.removable = qstrcmp(udev_device_get_sysattr_value(found.get(), "removable"), "1") == 0;
    for (const char* bus : {"usb", "mmc"}) {
        if (udev_device_get_parent_with_subsystem_devtype(found.get(), bus, nullptr)) {
            facts.bus = QLatin1String(bus);
            break;
        }
    }
    const QString slaves = FromC(udev_device_get_syspath(found.get())) + QStringLiteral("/slaves");
    facts.slaves =
        QDir(slaves).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return facts;
}

} // namespace velmora::linux_impl
