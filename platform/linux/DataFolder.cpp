// SPDX-License-Identifier: MIT
#include "DataFolder.h"

#include "Errno.h"

#include <QFile>
#include <QMessageBox>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

// The system's program folders hold no user's data, not even root's, who could write there:
// a package manager would neither know nor remove such files.
bool IsSystemFolder(const QString& folder) {
    return folder == u"/usr" || folder.startsWith(u"/usr/") || folder == u"/bin" ||
           folder == u"/sbin";
}

bool UserCanWrite(const QString& folder) {
    return ::access(Native(folder).constData(), W_OK | X_OK) == 0;
}

QString Failure(const QString& folder, int err) {
    const PlatformError error = ErrorFromErrno(err, folder);
    return QStringLiteral("壁紙リストと壁紙を保存するフォルダを用意できません。\n%1\n%2:%3")
        .arg(folder)
        .arg(error.Number)
        .arg(QString::fromStdString(error.Description));
}

// mkdir -p, each new folder private to the user; 0 or the errno of the first failure.
int MakeFolders(const QString& folder) {
    struct stat st {};
    if (::stat(Native(folder).constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (slash > 0) {
        if (const int err = MakeFolders(folder.left(slash)))
            return err;
    }
    if (::mkdir(Native(folder).constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

QString HomeFolder() {
    const QString home = QFile::decodeName(qgetenv("HOME"));
    if (!home.isEmpty())
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? QFile::decodeName(user->pw_dir) : QString();
}

} // namespace

DataFolderChoice ChooseDataFolder(const QString& programFolder, const QString& xdgDataHome,
                                  const QString& home) {
    if (!IsSystemFolder(programFolder) && UserCanWrite(programFolder))
        return {programFolder, {}};
    // A relative XDG_DATA_HOME is to be ignored, as if unset.
    QString base = xdgDataHome;
    if (!base.startsWith(u'/')) {
        if (!home.startsWith(u'/'))
            return {{}, Failure(QStringLiteral("~/.local/share/velmora"), ENOENT)};
        base = home + QStringLiteral("/.local/share");
    }
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    const QString folder = base + QStringLiteral("/velmora");
    if (const int err = MakeFolders(folder))
        return {{}, Failure(folder, err)};
    if (!UserCanWrite(folder))
        return {{}, Failure(folder, EACCES)};
    return {folder, {}};
}

QString DataFolderOrExit(const QString& programFolder) {
    const DataFolderChoice choice =
        ChooseDataFolder(programFolder, QFile::decodeName(qgetenv("XDG_DATA_HOME")), HomeFolder());
    if (!choice.folder.isEmpty())
        return choice.folder;
    std::fprintf(stderr, "velmora: %s\n", choice.failure.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("エラー"), choice.failure);
    std::exit(EXIT_FAILURE);
}

} // namespace velmora::linux_impl
