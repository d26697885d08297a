// SPDX-License-Identifier: MIT
// The registration rules without widgets: case folding, the duplicate and name tests, the
// preview box, the folder chain and the removal's bookkeeping.
#include "RegistrationRules.h"
#include "FolderPath.h"
#include "PreviewBox.h"

#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Conflict)

class RegistrationRulesTest : public QObject {
    Q_OBJECT

    static KabegamiEntry Entry(const QString& folder, const QString& name) {
        return {folder, name, folder + name, QStringLiteral("0")};
    }

  private Q_SLOTS:
    void foldsAsciiAndFullWidthLatinOnly() {
        const QString f = QStringLiteral("/f/");
        const auto same = [&](const QString& registered, const QString& chosen) {
            return FindConflict({Entry(f, registered)}, f, chosen, false) ==
                   Conflict::AlreadyRegistered;
        };
        QVERIFY(same(QStringLiteral("ABC.JPG"), QStringLiteral("abc.jpg")));
        QVERIFY(same(QStringLiteral("ＡＺ"), QStringLiteral("ａｚ")));
        QVERIFY(same(QStringLiteral("ｐｈｏｔｏ.jpg"), QStringLiteral("ＰＨＯＴＯ.JPG")));
        // Full-width and ASCII letters stay different letters.
        QVERIFY(!same(QStringLiteral("Ａ"), QStringLiteral("A")));
        // Kana, kanji, digits and letters of other scripts are compared as they are.
        QVERIFY(same(QStringLiteral("壁紙ｶﾅ１２_{}"), QStringLiteral("壁紙ｶﾅ１２_{}")));
        QVERIFY(!same(QStringLiteral("ß"), QStringLiteral("SS")));
        QVERIFY(!same(QStringLiteral("α"), QStringLiteral("Α")));
        QVERIFY(!same(QStringLiteral("я"), QStringLiteral("Я")));
        // Letters next to the folded ranges are not moved into them.
        QVERIFY(!same(QStringLiteral("@[`{"), QStringLiteral("`{@[")));
        QVERIFY(!same(QStringLiteral("abc"), QStringLiteral("abcd")));
    }

    void findsTheFirstConflict_data() {
        QTest::addColumn<KabegamiEntries>("list");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("nameTest");
        QTest::addColumn<Conflict>("expected");

        const QString pics = QStringLiteral("/c/pics/");
        const QString cd = QStringLiteral("/cd/");
        QTest::newRow("empty list")
            << KabegamiEntries{} << pics << "a.jpg" << true << Conflict::None;
        QTest::newRow("same place, other case")
            << KabegamiEntries{Entry(QStringLiteral("/C/PICS/"), QStringLiteral("A.JPG"))} << pics
            << "a.jpg" << false << Conflict::AlreadyRegistered;
        QTest::newRow("full-width letters fold")
            << KabegamiEntries{Entry(pics, QStringLiteral("ＰＨＯＴＯ.JPG"))} << pics
            << QStringLiteral("ｐｈｏｔｏ.jpg") << false << Conflict::AlreadyRegistered;
        QTest::newRow("same name elsewhere, no copy")
            << KabegamiEntries{Entry(QStringLiteral("/c/other/"), QStringLiteral("A.JPG"))} << pics
            << "a.jpg" << false << Conflict::None;
        QTest::newRow("same name elsewhere, copying")
            << KabegamiEntries{Entry(QStringLiteral("/c/other/"), QStringLiteral("A.JPG"))} << cd
            << "a.jpg" << true << Conflict::NameTaken;
        QTest::newRow("name met first wins")
            << KabegamiEntries{Entry(QStringLiteral("/c/other/"), QStringLiteral("a.jpg")),
                               Entry(cd, QStringLiteral("a.jpg"))}
            << cd << "a.jpg" << true << Conflict::NameTaken;
        QTest::newRow("duplicate met first wins")
            << KabegamiEntries{Entry(cd, QStringLiteral("a.jpg")),
                               Entry(QStringLiteral("/c/other/"), QStringLiteral("a.jpg"))}
            << cd << "a.jpg" << true << Conflict::AlreadyRegistered;
        // Folder and name are compared joined, as the list has always done.
        QTest::newRow("joined text decides")
            << KabegamiEntries{Entry(QStringLiteral("/c/pi"), QStringLiteral("cs/a.jpg"))} << pics
            << "a.jpg" << false << Conflict::AlreadyRegistered;
        QTest::newRow("other scripts keep their case")
            << KabegamiEntries{Entry(pics, QStringLiteral("Ä.jpg"))} << pics
            << QStringLiteral("ä.jpg") << false << Conflict::None;
    }
    void findsTheFirstConflict() {
        QFETCH(KabegamiEntries, list);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(bool, nameTest);
        QFETCH(Conflict, expected);
        QCOMPARE(FindConflict(list, folder, name, nameTest), expected);
    }

    void messagesJoinNameAndPhrase() {
        QCOMPARE(AlreadyRegisteredMessage(QStringLiteral("A.JPG")),
                 QStringLiteral("A.JPGは既に登録されています"));
        QCOMPARE(NameTakenMessage(QStringLiteral("A.JPG")),
                 QStringLiteral("A.JPGが登録済みリストに存在するためコピーできません"));
        QVERIFY(NotStorableMessage(QStringLiteral("x\".jpg")).startsWith(u"x\".jpgは"));
    }

    // A refusal names what cannot be stored: a folder is not blamed on the file name.
    void namesWhatCannotBeStored() {
        const QString odd = QStringLiteral("/m/\"a,b\"/");
        QCOMPARE(UnstorableName(odd, "x.jpg", odd + "x.jpg"), odd);
        QCOMPARE(UnstorableName("/m/", "\"a,b\".jpg", "/m/\"a,b\".jpg"),
                 QStringLiteral("\"a,b\".jpg"));
        const QString lost = QStringLiteral("/m/") + QChar::ReplacementCharacter + u'/';
        QCOMPARE(UnstorableName(lost, "x.jpg", lost + "x.jpg"), lost);
        // Each part storable, their join not: the whole path is named.
        QCOMPARE(UnstorableName("/m,n/", "x\".jpg", "/m,n/x\".jpg"),
                 QStringLiteral("/m,n/x\".jpg"));
        QCOMPARE(UnstorableName("/m/", "x.jpg", "/m/x.jpg"), QString());
    }

    void fitsThePreviewIntoTheSquare_data() {
        QTest::addColumn<float>("w");
        QTest::addColumn<float>("h");
        QTest::addColumn<float>("boxW");
        QTest::addColumn<float>("boxH");
        // Natural sizes in twips (15 per pixel).
        QTest::newRow("640x480") << 9600.0f << 7200.0f << 2175.0f << 1631.25f;
        QTest::newRow("480x640") << 7200.0f << 9600.0f << 1631.25f << 2175.0f;
        QTest::newRow("100x100") << 1500.0f << 1500.0f << 2175.0f << 2175.0f;
        QTest::newRow("wide strip") << 30000.0f << 15.0f << 2175.0f << 1.0875f;
        QTest::newRow("tiny tall") << 15.0f << 45.0f << 725.0f << 2175.0f;
    }
    void fitsThePreviewIntoTheSquare() {
        QFETCH(float, w);
        QFETCH(float, h);
        QFETCH(float, boxW);
        QFETCH(float, boxH);
        const PreviewSize box = FitPreview(w, h);
        QVERIFY2(qAbs(box.width - boxW) < 0.01f, qPrintable(QString::number(box.width)));
        QVERIFY2(qAbs(box.height - boxH) < 0.01f, qPrintable(QString::number(box.height)));
    }

    void removesTheSelectedRowsKeepingOrder() {
        const KabegamiEntries list{Entry("/a/", "1"), Entry("/a/", "2"), Entry("/a/", "3")};
        QCOMPARE(WithoutSelected(list, {false, true, false}), (KabegamiEntries{list[0], list[2]}));
        QCOMPARE(WithoutSelected(list, {true, true, true}), KabegamiEntries{});
        QCOMPARE(WithoutSelected(list, {false, false, false}), list);
        QCOMPARE(WithoutSelected({}, {}), KabegamiEntries{});
    }

    void tellsWhetherAPathLiesInsideAFolder() {
        QVERIFY(LiesInside("/app/Pic/a.jpg", "/app/Pic"));
        QVERIFY(LiesInside("/app/Pic/sub/a.jpg", "/app/Pic/"));
        QVERIFY(!LiesInside("/app/Pic", "/app/Pic"));
        QVERIFY(!LiesInside("/app/Pic/", "/app/Pic"));
        QVERIFY(!LiesInside("/app/Pictures/a.jpg", "/app/Pic"));
        QVERIFY(!LiesInside("/etc/passwd", "/app/Pic"));
        QVERIFY(!LiesInside("/etc/passwd", ""));
    }

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

QTEST_APPLESS_MAIN(RegistrationRulesTest)
#include "RegistrationRulesTest.moc"
