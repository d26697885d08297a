// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace velmora {

// Layouts are written in twips, drawn at 96 dpi with a 9 pt user-interface font: 15 twips a
// pixel. Like the desktop they were drawn on, which scales twips by its logical DPI (12 twips
// a pixel at 120 dpi), a twip here follows the screen's logical DPI and grows with the user's
// font, so that texts in the user's font keep fitting the controls drawn for 9 pt. This is
// the one place where that factor is decided.
inline constexpr double kDesignDpi = 96.0;
inline constexpr double kDesignFontPoints = 9.0;

// How much larger than the design's 9 pt the user's font is; never smaller than the design.
inline double FontGrowth() {
    if (qGuiApp == nullptr)
        return 1.0;
    const QFont font = QGuiApplication::font();
    double points = font.pointSizeF();
    if (points <= 0) // a font given in pixels
        points = QFontInfo(font).pointSizeF();
    return std::max(1.0, points / kDesignFontPoints);
}

inline double TwipsPerPixel() {
    double dpi = kDesignDpi;
    if (qGuiApp != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen();
            screen != nullptr && screen->logicalDotsPerInch() > 0)
            dpi = screen->logicalDotsPerInch();
    }
    return 1440.0 / (dpi * FontGrowth());
}

inline int TwipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixel()));
}
inline double PixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel();
}

// Edges are rounded, not sizes, so that controls that meet in twips meet in pixels at any
// factor.
inline QRect TwipsRect(double left, double top, double width, double height) {
    const int x = TwipsToPixels(left);
    const int y = TwipsToPixels(top);
    return QRect(x, y, TwipsToPixels(left + width) - x, TwipsToPixels(top + height) - y);
}

// A framed control's rectangle with each outer edge moved by at most three pixels so that it
// falls on a whole pixel of the screen. At fractional scales a frame line that falls between
// two screen pixels is painted over by the control's contents (a list box lost its bottom line
// at 150 %). At whole scales nothing moves.
inline QRect OnScreenPixels(const QRect& rect, qreal ratio) {
    const auto snap = [ratio](int v) {
        for (int d : {0, 1, -1, 2, -2, 3, -3}) {
            const qreal device = (v + d) * ratio;
            if (std::abs(device - std::round(device)) < 1e-6)
                return v + d;
        }
        return v;
    };
    return QRect(QPoint(snap(rect.left()), snap(rect.top())),
                 QPoint(snap(rect.right()), snap(rect.bottom())));
}

// A point size of the design, grown with the user's font.
inline double DesignPoints(double points) {
    return points * FontGrowth();
}

} // namespace velmora
