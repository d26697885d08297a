// SPDX-License-Identifier: MIT
#include "ProgramFolder.h"

#include "Errno.h"
#include "PlatformError.h"

#include <QFile>
#include <QUtf8StringView>

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace velmora::linux_impl {

QString ReadableName(const QByteArray& name) {
    QString text;
    for (qsizetype i = 0; i < name.size();) {
        qsizetype length = 0;
        for (qsizetype n = 1; n <= 4 && i + n <= name.size(); ++n) {
            if (QUtf8StringView(name.constData() + i, n).isValidUtf8()) {
                length = n;
                break;
            }
        }
        if (length > 0 && (length > 1 || static_cast<unsigned char>(name[i]) >= 0x20)) {
            text += QString::fromUtf8(name.constData() + i, length);
            i += length;
        } else {
            text += QStringLiteral("\\x") + QString::number(static_cast<unsigned char>(name[i]), 16)
                                                .toUpper()
                                                .rightJustified(2, QLatin1Char('0'));
            ++i;
        }
    }
    return text;
}

QString ProgramFolder(const QByteArray& exeLink) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(exeLink.constData(), target, sizeof target);
    if (length <= 0 || target[0] != '/')
        throw ErrorFromErrno(length < 0 ? errno : ENOENT, QFile::decodeName(exeLink));
    QByteArray folder(target, length);
    folder.truncate(folder.lastIndexOf('/'));
    if (folder.isEmpty())
        folder = "/";
    const QString name = QFile::decodeName(folder);
    if (QFile::encodeName(name) != folder) {
        throw PlatformError(
            Err::BadFileName,
            QStringLiteral("プログラムのフォルダ名「%1」を扱えないため、起動できません。"
                           "フォルダ名を変えてから起動してください。")
                .arg(ReadableName(folder)));
    }
    return name;
}

} // namespace velmora::linux_impl
