// SPDX-License-Identifier: MIT
#include "Icon.h"

#include <QPainter>
#include <QPolygonF>

#include <vector>

namespace velmora::pictures {

namespace {

// The 16 colours of the classic palette that the drawing uses.
const QColor kBlack(0, 0, 0);
const QColor kOlive(128, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kMaroon(128, 0, 0);
const QColor kAqua(0, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kWhite(255, 255, 255);
const QColor kGreen(0, 128, 0);
const QColor kLime(0, 255, 0);
const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);

const QList<QColor> kPalette = {
    QColor(0, 0, 0),       QColor(128, 0, 0),   QColor(0, 128, 0),   QColor(128, 128, 0),
    QColor(0, 0, 128),     QColor(128, 0, 128), QColor(0, 128, 128), QColor(192, 192, 192),
    QColor(128, 128, 128), QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(255, 255, 0),
    QColor(0, 0, 255),     QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255)};

struct Shape {
    enum Kind { Rect, Polygon, Circle } kind;
    QColor colour;
    std::vector<QPointF> points; // Rect: top-left, size; Circle: centre, (radius, 0)
};

// Drawn on a 32-unit square; the picture inside the frame is 20 x 14 units.
std::vector<Shape> Drawing() {
    return {
        // frame: black edge, olive wood, yellow light from the top left, maroon shade
        {Shape::Rect, kBlack, {{1, 4}, {30, 25}}},
        {Shape::Rect, kOlive, {{2, 5}, {28, 23}}},
        {Shape::Rect, kYellow, {{2, 5}, {28, 1}}},
        {Shape::Rect, kYellow, {{2, 5}, {1, 23}}},
        {Shape::Rect, kMaroon, {{2, 27}, {28, 1}}},
        {Shape::Rect, kMaroon, {{29, 5}, {1, 23}}},
        {Shape::Rect, kBlack, {{5, 8}, {22, 17}}},
        // sky
        {Shape::Rect, kBlue, {{6, 9}, {20, 4}}},
        {Shape::Rect, kAqua, {{6, 13}, {20, 11}}},
        {Shape::Circle, kYellow, {{21.5, 12.5}, {2.5, 0}}},
        // mountain with snow
        {Shape::Polygon, kGrey, {{6, 21}, {13, 12}, {20, 21}}},
        {Shape::Polygon, kWhite, {{11, 14.6}, {13, 12}, {15, 14.6}, {13, 14}}},
        // waterfall from the mountain into the pond
        {Shape::Rect, kSilver, {{12, 15}, {2, 6}}},
        // hills and pond
        {Shape::Polygon,
         kGreen,
         {{6, 24}, {6, 19}, {11, 18}, {16, 20}, {22, 17}, {26, 18}, {26, 24}}},
        {Shape::Polygon, kLime, {{17, 20}, {22, 17.5}, {25, 18.5}, {21, 20}}},
        {Shape::Polygon, kTeal, {{9, 24}, {10, 21.5}, {16, 21.5}, {17, 24}}},
        {Shape::Rect, kNavy, {{11, 23}, {5, 1}}},
    };
}

void Paint(QPainter& p, const std::vector<Shape>& shapes) {
    p.setPen(Qt::NoPen);
    for (const Shape& s : shapes) {
        p.setBrush(s.colour);
        switch (s.kind) {
        case Shape::Rect:
            p.drawRect(QRectF(s.points[0], QSizeF(s.points[1].x(), s.points[1].y())));
            break;
        case Shape::Polygon:
            p.drawPolygon(QPolygonF(QList<QPointF>(s.points.begin(), s.points.end())));
            break;
        case Shape::Circle:
            p.drawEllipse(s.points[0], s.points[1].x(), s.points[1].x());
            break;
        }
    }
}

QString Number(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

QImage IconSixteenColours() {
    QImage art(32, 32, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    {
        QPainter p(&art);
        Paint(p, Drawing());
    }
    // Every drawn colour is one of the palette's, so the mapping below is exact; the
    // transparent pixels are the mask, as in a classic icon.
    QImage indexed(32, 32, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const QColor& c : kPalette)
        table << c.rgb();
    table << qRgba(0, 0, 0, 0);
    indexed.setColorTable(table);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb px = art.pixel(x, y);
            int best = 16;
            if (qAlpha(px) >= 128) {
                int bestDistance = INT_MAX;
                for (int i = 0; i < 16; ++i) {
                    const QRgb c = table[i];
                    const int d = (qRed(c) - qRed(px)) * (qRed(c) - qRed(px)) +
                                  (qGreen(c) - qGreen(px)) * (qGreen(c) - qGreen(px)) +
                                  (qBlue(c) - qBlue(px)) * (qBlue(c) - qBlue(px));
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
            }
            indexed.setPixel(x, y, static_cast<uint>(best));
        }
    }
    return indexed;
}

QImage IconSmooth(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    Paint(p, Drawing());
    return image;
}

QByteArray IconSvg() {
    QString svg =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                       "viewBox=\"0 0 32 32\">\n"
                       "  <title>Velmora</title>\n");
    for (const Shape& s : Drawing()) {
        const QString fill = s.colour.name();
        switch (s.kind) {
        case Shape::Rect:
            svg += QStringLiteral(
                       "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
                       .arg(Number(s.points[0].x()), Number(s.points[0].y()),
                            Number(s.points[1].x()), Number(s.points[1].y()), fill);
            break;
        case Shape::Polygon: {
            QStringList pts;
            for (const QPointF& pt : s.points)
                pts << Number(pt.x()) + QLatin1Char(',') + Number(pt.y());
            svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n")
                       .arg(pts.join(QLatin1Char(' ')), fill);
            break;
        }
        case Shape::Circle:
            svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                       .arg(Number(s.points[0].x()), Number(s.points[0].y()),
                            Number(s.points[1].x()), fill);
            break;
        }
    }
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}

} // namespace velmora::pictures
