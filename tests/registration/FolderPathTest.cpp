// SPDX-License-Identifier: MIT
// The folder list's chain of folders from a drive's root.
#include "FolderPath.h"

#include <QTest>

using namespace velmora;

class FolderPathTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void buildsTheFolderChain() {
        QCOMPARE(FolderChain("/media/cd/", "/media/cd"), QStringList{"/media/cd"});
        QCOMPARE(FolderChain("/media/cd/", "/media/cd/a/b/"),
                 (QStringList{"/media/cd", "/media/cd/a", "/media/cd/a/b"}));
        QCOMPARE(FolderChain("/", "/home/u"), (QStringList{"/", "/home", "/home/u"}));
        QCOMPARE(FolderChain("/", "/"), QStringList{"/"});
        // A folder outside the given root is chained from "/".
        QCOMPARE(FolderChain("/media/cd/", "/tmp/x"), (QStringList{"/", "/tmp", "/tmp/x"}));
        QCOMPARE(FolderChain("/media/cd/", "/media/cdx"),
                 (QStringList{"/", "/media", "/media/cdx"}));
        QCOMPARE(NormalFolder("/a/b/../c/"), QStringLiteral("/a/c"));
        QCOMPARE(NormalFolder("/"), QStringLiteral("/"));
    }
};

QTEST_APPLESS_MAIN(FolderPathTest)
#include "FolderPathTest.moc"
