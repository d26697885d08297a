#include "Fonts.h"

namespace velmora {

namespace {
QFont Make(const QString& family, const QStringList& fallbacks, double pointSize, bool bold) {
    QFont font;
    font.setFamilies(QStringList{family} + fallbacks);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
} // namespace

QFont MsPGothic(double pointSize, bool bold) {
    return Make(QStringLiteral("ＭＳ Ｐゴシック"),
                {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")},
                pointSize, bold);
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

} // namespace velmora
