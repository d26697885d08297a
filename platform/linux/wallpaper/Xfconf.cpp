#include "Xfconf.h"

#include <QRegularExpression>

namespace velmora::linux_impl {

QList<XfceBackdrop> BackdropsOfListing(const QByteArray& listing) {
    static const QRegularExpression property(
        QStringLiteral("^(/backdrop/screen\\d+/monitor[^/]+/workspace\\d+)/"
                       "(last-image|image-style)$"));
    QList<XfceBackdrop> result;
    for (const QByteArray& rawLine : listing.split('\n')) {
        const QString line = QString::fromUtf8(rawLine);
        // "<property><padding><value>": property names hold no blanks, values may.
        const qsizetype blank = line.indexOf(u' ');
        const QString name = blank < 0 ? line : line.left(blank);
        const QRegularExpressionMatch match = property.match(name);
        if (!match.hasMatch())
            continue;
        QString value;
        if (blank >= 0) {
            qsizetype start = blank;
            while (start < line.size() && line.at(start) == u' ')
                ++start;
            value = line.mid(start);
        }
        const QString base = match.captured(1);
        auto it = std::find_if(result.begin(), result.end(),
                               [&](const XfceBackdrop& b) { return b.base == base; });
        if (it == result.end()) {
            result.append({base, std::nullopt, std::nullopt});
            it = result.end() - 1;
        }
        if (match.capturedView(2) == QLatin1String("last-image")) {
            it->lastImage = value;
        } else {
            bool ok = false;
            const int style = value.toInt(&ok);
            if (ok)
                it->imageStyle = style;
        }
    }
    return result;
}

QStringList UsualBackdrops(const QStringList& monitorNames, int workspaces) {
    QStringList result;
    for (const QString& monitor : monitorNames) {
        for (int workspace = 0; workspace < qMax(1, workspaces); ++workspace)
            result.append(
                QStringLiteral("/backdrop/screen0/%1/workspace%2").arg(monitor).arg(workspace));
    }
    return result;
}

bool IsXfcePictureStyle(int style) {
    return style >= 1 && style <= 6;
}

} // namespace velmora::linux_impl
