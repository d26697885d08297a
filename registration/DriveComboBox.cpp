// SPDX-License-Identifier: MIT
#include "DriveComboBox.h"

#include "Platform.h"
#include "PlatformError.h"
#include "QtText.h"

#include <QSignalBlocker>

namespace velmora {

DriveComboBox::DriveComboBox(Platform& platform, QWidget* parent)
    : QComboBox(parent), platform_(platform) {
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            Q_EMIT Change();
    });
}

void DriveComboBox::Fill(const QString& start) {
    const std::vector<DriveInfo> drives =
        platform_.ListDrives(); // a failure leaves the list as it was
    const QSignalBlocker quiet(this);
    clear();
    for (const DriveInfo& drive : drives)
        addItem(FromUtf8(drive.Name));
    const int index = findText(start, Qt::MatchExactly);
    setCurrentIndex(index >= 0 ? index : 0);
}

void DriveComboBox::SetDrive(const QString& name) {
    const int index = findText(name, Qt::MatchExactly);
    if (index < 0)
        throw PlatformError(Err::DiskNotReady);
    setCurrentIndex(index);
}

} // namespace velmora
