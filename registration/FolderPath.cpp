// SPDX-License-Identifier: MIT
#include "FolderPath.h"

#include <QDir>
#include <QStringList>

namespace velmora {

QString NormalFolder(const QString& folder) {
    if (folder.isEmpty())
        return folder;
    return QDir::cleanPath(folder);
}

QStringList FolderChain(const QString& root, const QString& folder) {
    QString top = NormalFolder(root);
    const QString path = NormalFolder(folder);
    const auto below = [](const QString& path, const QString& top) {
        return path == top || top == u'/' || path.startsWith(top + u'/');
    };
    if (top.isEmpty() || !below(path, top))
        top = QStringLiteral("/");
    QStringList chain{top};
    if (path == top)
        return chain;
    const QString rest = path.mid(top == u'/' ? 1 : top.size() + 1);
    QString current = top;
    for (const QString& part : rest.split(u'/', Qt::SkipEmptyParts)) {
        current = current == u'/' ? current + part : current + u'/' + part;
        chain.append(current);
    }
    return chain;
}

} // namespace velmora
