// SPDX-License-Identifier: MIT
#include "Fonts.h"

#include "Twips.h"

#include <QGuiApplication>

namespace velmora {

namespace {
QFont Make(const QString& family, const QStringList& fallbacks, double pointSize, bool bold) {
    QFont font;
    font.setFamilies(QStringList{family} + fallbacks);
    font.setPointSizeF(DesignPoints(pointSize));
    font.setBold(bold);
    return font;
}

const QStringList& ProportionalGothic() {
    static const QStringList families{QStringLiteral("ＭＳ Ｐゴシック"),
                                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                      QStringLiteral("Noto Sans CJK JP"),
                                      QStringLiteral("IPAGothic")};
    return families;
}
} // namespace

QFont MsPGothic(double pointSize, bool bold) {
    return Make(ProportionalGothic().front(), ProportionalGothic().mid(1), pointSize, bold);
}

QFont MsGothic(double pointSize, bool bold) {
    return Make(QStringLiteral("ＭＳ ゴシック"),
                {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")},
                pointSize, bold);
}

QFont FontWithFallbacks(const QString& family, double pointSize, bool bold) {
    return Make(family, {}, pointSize, bold);
}

QFont WindowFont() {
    QFont font = QGuiApplication::font();
    QStringList families = font.families();
    if (families.isEmpty())
        families << font.family();
    font.setFamilies(families + ProportionalGothic());
    return font;
}

} // namespace velmora
