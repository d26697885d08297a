// SPDX-License-Identifier: MIT
#include "Waterfall.h"

#include "Noise.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace velmora::pictures {

namespace {

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QColor Shade(const QColor& c, double f) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.redF() * f, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.greenF() * f, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.blueF() * f, 0.0, 1.0)));
}

// Sky, distant hills, the cliff with its waterfall and the pool; the trees come on top.
QColor Ground(double x, double y, double w, double h) {
    const double horizon = h * 0.36;
    // sky with clouds
    QColor colour = Mix(QColor(38, 96, 204), QColor(160, 206, 242), y / horizon);
    const double cloud = Fractal(x, y, 90, 35, 11, 5);
    const double cloudiness = std::clamp((cloud - 0.55) * 4.0, 0.0, 1.0) *
                              std::clamp(1.0 - std::abs(y - h * 0.14) / (h * 0.12), 0.0, 1.0);
    colour = Mix(colour, QColor(246, 248, 252), cloudiness);

    // distant wooded hills in the haze
    const double hills = horizon - 18 - 22 * Fractal(x, 0, 70, 1, 23, 3);
    if (y > hills)
        colour = Mix(QColor(86, 124, 118), QColor(120, 150, 150), (y - hills) / 60 * 0.3);

    // the cliff: rock in layers, moss on the ledges
    const double cx = w * 0.5;
    const double cliffTop =
        horizon - 30 + 14 * Fractal(x, 0, 40, 1, 31, 3) + 0.004 * (x - cx) * (x - cx);
    const double cliffHalf = w * 0.26 + 10 * Fractal(0, y, 1, 30, 37, 3);
    const double pool = h * 0.79;
    if (y > cliffTop && std::abs(x - cx) < cliffHalf + (y - cliffTop) * 0.25 && y < pool + 10) {
        const double strata = Fractal(x, y, 45, 9, 41, 5);
        colour = Mix(QColor(72, 64, 56), QColor(150, 138, 118), strata);
        const double moss = Fractal(x, y, 25, 18, 43, 4);
        if (moss > 0.6)
            colour = Mix(colour, QColor(70, 104, 48), (moss - 0.6) * 3.5);
        if (std::abs(Fractal(x, y, 22, 50, 47, 4) - 0.5) < 0.018)
            colour = Shade(colour, 0.5);                                  // cracks
        colour = Shade(colour, 0.8 + 0.4 * Fractal(x, y, 60, 60, 49, 2)); // light and shade
    }

    // the waterfall: falls from the lip of the cliff and widens as it drops
    const double lip = horizon - 22;
    if (y > lip && y < pool + 8) {
        const double centre = cx + 6 * std::sin(y / 60.0) + 4;
        const double half = 14 + (y - lip) * 0.11;
        const double edge = half - std::abs(x - centre);
        if (edge > -3) {
            const double streak = Fractal(x, y * 0.12, 4, 6, 53, 3);
            QColor water = Mix(QColor(150, 176, 190), QColor(244, 248, 250), 0.35 + streak * 0.9);
            colour = Mix(colour, water, std::clamp((edge + 3) / 6, 0.0, 1.0));
        }
    }

    // the pool with ripples, foam at the foot of the fall, and the bank in front
    if (y >= pool) {
        const double ripple = Fractal(x, y, 40, 3, 59, 3);
        QColor water = Mix(QColor(28, 74, 82), QColor(84, 140, 146), ripple);
        water =
            Mix(water, QColor(150, 190, 230), std::clamp((y - pool) / (h - pool), 0.0, 1.0) * 0.25);
        const double fx = (x - cx - 4) / 70;
        const double fy = (y - pool - 6) / 22;
        const double foam = 1.0 - std::sqrt(fx * fx + fy * fy);
        if (foam > 0)
            water = Mix(water, QColor(236, 242, 244),
                        std::clamp(foam * 1.6 * (0.6 + Fractal(x, y, 9, 5, 61, 3)), 0.0, 1.0));
        colour = water;
        const double bank = h - 22 + 16 * Fractal(x, 0, 50, 1, 67, 3);
        if (y > bank)
            colour = Mix(QColor(62, 86, 36), QColor(124, 138, 64), Fractal(x, y, 6, 6, 71, 3));
    }
    return colour;
}

// A brush of leaves in one green.
QBrush Foliage(const QColor& base, std::uint32_t seed) {
    QImage tile(96, 96, QImage::Format_RGB32);
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x) {
            const double n = 0.55 * Fractal(x, y, 6, 6, seed, 3) + 0.45 * Hash(x, y, seed + 5);
            tile.setPixelColor(x, y, Shade(base, 0.55 + 0.8 * n));
        }
    return QBrush(tile);
}

// A spruce: tiers of drooping, ragged branches on a short trunk.
void Conifer(QPainter& p, double x, double top, double width, double bottom, const QBrush& leaves,
             std::uint32_t seed) {
    const double height = bottom - top;
    p.setBrush(QColor(60, 40, 26));
    p.drawRect(QRectF(x - width * 0.04, top + height * 0.7, width * 0.08, height * 0.3));
    p.setBrush(leaves);
    const int tiers = 5;
    for (int i = 0; i < tiers; ++i) {
        const double t0 = top + height * 0.85 * i / (tiers + 1.0);
        const double t1 = top + height * 0.85 * (i + 2.0) / (tiers + 1.0);
        const double half = width * 0.5 * (i + 1.5) / (tiers + 0.5);
        QPolygonF tier{{x, t0}};
        const int teeth = 9;
        for (int k = 0; k <= teeth; ++k) {
            const double u = static_cast<double>(k) / teeth; // right tip to left tip
            const double jag =
                (k % 2 ? -0.12 : 0.0) * (t1 - t0) + (Hash(k, i, seed) - 0.5) * 0.15 * (t1 - t0);
            tier << QPointF(x + half * (1 - 2 * u),
                            t1 + jag - 0.15 * (t1 - t0) * std::abs(1 - 2 * u));
        }
        p.drawPolygon(tier);
    }
}

void BroadTree(QPainter& p, double x, double y, double radius, const QBrush& leaves,
               std::uint32_t seed) {
    p.setBrush(QColor(70, 50, 32));
    p.drawRect(QRectF(x - radius * 0.08, y, radius * 0.16, radius * 1.1));
    p.setBrush(leaves);
    for (int i = 0; i < 7; ++i) {
        const double a = Hash(i, 1, seed) * 6.283;
        const double d = radius * 0.55 * Hash(i, 2, seed);
        const double r = radius * (0.45 + 0.3 * Hash(i, 3, seed));
        p.drawEllipse(QPointF(x + d * std::cos(a), y + d * std::sin(a) * 0.8), r, r * 0.9);
    }
}

void Trees(QPainter& p, int w, int h) {
    p.setPen(Qt::NoPen);
    const QBrush dark = Foliage(QColor(26, 66, 34), 101);
    const QBrush mid = Foliage(QColor(44, 96, 40), 103);
    const QBrush light = Foliage(QColor(84, 130, 52), 107);
    // back rows first, so the nearer trees overlap them
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 9; ++i) {
            const double u = (i + Hash(i, side, 211) * 0.6) / 9.0; // 0 at the outer edge
            const double x = side == 0 ? u * w * 0.36 : w - u * w * 0.36;
            const double top = h * (0.10 + 0.22 * u + 0.08 * Hash(i, side, 223));
            const double width = w * (0.16 + 0.08 * Hash(i, side, 227));
            Conifer(p, x, top, width, h * (0.8 + 0.06 * Hash(i, side, 229)), i % 2 ? dark : mid,
                    static_cast<std::uint32_t>(500 + i + side * 20));
        }
        for (int i = 0; i < 5; ++i) {
            const double u = (i + Hash(i, side, 229)) / 5.0;
            const double x = side == 0 ? u * w * 0.3 : w - u * w * 0.3;
            const double y = h * (0.5 + 0.2 * Hash(i, side, 233));
            BroadTree(p, x, y, w * (0.09 + 0.05 * Hash(i, side, 239)), i % 2 ? light : mid,
                      static_cast<std::uint32_t>(300 + i + side * 10));
        }
    }
    // a few bushes on the front bank
    for (int i = 0; i < 8; ++i) {
        const double x = w * (i + Hash(i, 0, 241)) / 8.0;
        if (std::abs(x - w * 0.5) < w * 0.2)
            continue;
        p.setBrush(i % 2 ? light : mid);
        p.drawEllipse(QPointF(x, h - 8), w * 0.09, h * 0.05);
    }
}

} // namespace

QImage WaterfallScene(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, Ground(x, y, width, height));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        Trees(p, width, height);
        // mist rising from the foot of the fall
        QRadialGradient mist(QPointF(0, 0), 1);
        mist.setColorAt(0, QColor(255, 255, 255, 120));
        mist.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(mist);
        p.setPen(Qt::NoPen);
        p.translate(width * 0.5, height * 0.78);
        p.scale(width * 0.3, height * 0.07);
        p.drawEllipse(QPointF(0, 0), 1.0, 1.0);
    }
    // film grain and a soft darkening towards the corners, as a camera gives
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = (x - width * 0.5) / width;
            const double dy = (y - height * 0.5) / height;
            const double vignette = 1.0 - 0.35 * (dx * dx + dy * dy);
            const double grain = 0.94 + 0.12 * Hash(x, y, 401);
            image.setPixelColor(x, y, Shade(image.pixelColor(x, y), vignette * grain));
        }
    return image;
}

QImage Mosaic(const QImage& image, int tile) {
    QImage out(image.size(), QImage::Format_RGB32);
    for (int ty = 0; ty < image.height(); ty += tile)
        for (int tx = 0; tx < image.width(); tx += tile) {
            const int x1 = std::min(tx + tile, image.width());
            const int y1 = std::min(ty + tile, image.height());
            long r = 0, g = 0, b = 0, n = 0;
            for (int y = ty; y < y1; ++y)
                for (int x = tx; x < x1; ++x) {
                    const QRgb px = image.pixel(x, y);
                    r += qRed(px);
                    g += qGreen(px);
                    b += qBlue(px);
                    ++n;
                }
            const QRgb average =
                qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
            for (int y = ty; y < y1; ++y)
                for (int x = tx; x < x1; ++x)
                    out.setPixel(x, y, average);
        }
    return out;
}

} // namespace velmora::pictures
