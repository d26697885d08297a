// SPDX-License-Identifier: MIT
#include "Hammer.h"

#include <QPainter>
#include <QPolygonF>

namespace velmora::pictures {

QImage Hammer(int scale) {
    QImage image(24 * scale, 24 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.scale(scale, scale);
    // Drawn upright around the centre, then laid on the diagonal like a hammer set down.
    p.translate(11.5, 13);
    p.rotate(45);
    // handle: red with a darker edge so it reads on a light face
    p.setBrush(QColor(128, 0, 0));
    p.drawRect(QRectF(-2, -5, 4, 14));
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(QRectF(-1.2, -5, 2.4, 13.2));
    // head: black block with a flat face on the left and a tapered peen on the right
    p.setBrush(QColor(0, 0, 0));
    p.drawPolygon(QPolygonF({{-7, -10}, {4, -10}, {7.5, -8.5}, {7.5, -6.5}, {4, -5}, {-7, -5}}));
    // a glint on the head
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRectF(-5.5, -9, 8, 1));
    return image;
}

} // namespace velmora::pictures
