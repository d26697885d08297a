#include "FillPicture.h"

namespace velmora::linux_impl {

QImage FillPicture(const QImage& picture, const QSize& area) {
    const QImage scaled =
        picture.scaled(area, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const int left = (scaled.width() - area.width()) / 2;
    const int top = (scaled.height() - area.height()) / 2;
    return scaled.copy(left, top, area.width(), area.height())
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace velmora::linux_impl
