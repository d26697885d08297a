// SPDX-License-Identifier: MIT
#pragma once

#include "SystemServices.h"

#include <QSize>
#include <QString>

namespace velmora::linux_impl {

// A picture checked by its header: what it is and its natural size.
struct PictureFile {
    QString path;
    PictureKind kind = PictureKind::Bmp;
    QSize size;
};

} // namespace velmora::linux_impl
