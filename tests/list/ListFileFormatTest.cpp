// SPDX-License-Identifier: MIT
// The list file's bytes and its reader's tolerance.
#include "ListFileFormat.h"
#include "PlatformError.h"

#include <QRandomGenerator>
#include <QTest>

using namespace velmora;

class ListFileFormatTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void writesHeaderAloneForEmptyList() {
        const QByteArray bytes =
            FormatListFile({QStringLiteral("/ [root]"), QStringLiteral("/home/u/"), "1"}, {});
        QCOMPARE(bytes, QByteArray("/ [root],/home/u/,1\r\n"));
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, 0);
        QVERIFY(back.Entries.isEmpty());
        QCOMPARE(*back.LastDrive, QStringLiteral("/ [root]"));
        QCOMPARE(*back.LastFolder, QStringLiteral("/home/u/"));
        QCOMPARE(*back.FileCopySetting, QStringLiteral("1"));
    }

    void writesEveryEntryOnItsOwnCrLfLine() {
        const KabegamiEntries entries{
            {"/p/", "a.bmp", "/p/a.bmp", "0"},
            {"/media/cd/", "海.JPG", "/app/Pic/海.JPG", "1"},
            {"/p/", "c.jpeg", "/p/c.jpeg", "0"},
        };
        const QByteArray bytes = FormatListFile({"/ [root]", "/p/", "0"}, entries);
        QCOMPARE(bytes, QStringLiteral("/ [root],/p/,0\r\n"
                                       "/p/,a.bmp,/p/a.bmp,0\r\n"
                                       "/media/cd/,海.JPG,/app/Pic/海.JPG,1\r\n"
                                       "/p/,c.jpeg,/p/c.jpeg,0\r\n")
                            .toUtf8());
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, 0);
        QCOMPARE(back.Entries, entries);
    }

    void readsItemsNotLines() {
        // Header split over two lines, blanks before items, a quoted item holding a comma
        // and a line break, LF-only line ends.
        const QByteArray bytes = "  /mnt/x [USB STICK],/mnt/x/\r\n1\r\n"
                                 "\"/a,b/\",  \"x\ny.bmp\",/q/z.bmp,0\n"
                                 "/c/,d.bmp,/c/d.bmp,1";
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, 0);
        QCOMPARE(*back.LastDrive, QStringLiteral("/mnt/x [USB STICK]"));
        QCOMPARE(*back.LastFolder, QStringLiteral("/mnt/x/"));
        QCOMPARE(*back.FileCopySetting, QStringLiteral("1"));
        QCOMPARE(back.Entries.size(), 2);
        QCOMPARE(back.Entries[0], (KabegamiEntry{"/a,b/", "x\ny.bmp", "/q/z.bmp", "0"}));
        QCOMPARE(back.Entries[1], (KabegamiEntry{"/c/", "d.bmp", "/c/d.bmp", "1"}));
    }

    void stopsAtAnIncompleteEntryAndKeepsWhatCameBefore() {
        const ListFileContent back =
            ParseListFile("d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp\r\n");
        QCOMPARE(back.ErrorNumber, Err::InputPastEnd);
        QCOMPARE(back.Entries.size(), 1);
        QCOMPARE(back.Entries[0].FileName, QStringLiteral("a.bmp"));
    }

    void reportsInputPastEndForShortFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("headerValuesRead");
        QTest::newRow("zero bytes") << QByteArray() << 0;
        QTest::newRow("two header items") << QByteArray("d,f\r\n") << 2;
        QTest::newRow("blanks only") << QByteArray("   ") << 0;
    }
    void reportsInputPastEndForShortFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, headerValuesRead);
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, Err::InputPastEnd);
        QCOMPARE(int(back.LastDrive.has_value()) + int(back.LastFolder.has_value()) +
                     int(back.FileCopySetting.has_value()),
                 headerValuesRead);
    }

    // Lists from the Windows form (code page 932) and from text editors (UTF-16 with its
    // mark) read as the same text, Windows paths included.
    void readsOtherEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        const QString text = QStringLiteral("C:\\,C:\\壁紙\\,1\r\n"
                                            "C:\\壁紙\\,①ⅰ纊～ｱ.bmp,C:\\壁紙\\①ⅰ纊～ｱ.bmp,0\r\n");
        // 壁紙 is 95 C7 8E 86; ① ⅰ 纊 are NEC and IBM extensions (87 40, FA 40, ED 40).
        QTest::newRow("code page 932")
            << QByteArray("C:\\,C:\\\x95\xC7\x8E\x86\\,1\r\nC:\\\x95\xC7\x8E\x86\\,"
                          "\x87\x40\xFA\x40\xED\x40\x81\x60\xB1.bmp,"
                          "C:\\\x95\xC7\x8E\x86\\\x87\x40\xFA\x40\xED\x40\x81\x60\xB1.bmp,0\r\n")
            << int(ListEncoding::Cp932);
        QByteArray le("\xFF\xFE");
        QByteArray be("\xFE\xFF");
        for (QChar c : text) {
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        QTest::newRow("UTF-16 LE") << le << int(ListEncoding::Utf16LE);
        QTest::newRow("UTF-16 BE") << be << int(ListEncoding::Utf16BE);
        QTest::newRow("UTF-8") << text.toUtf8() << int(ListEncoding::Utf8);
    }
    void readsOtherEncodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, 0);
        QCOMPARE(int(back.Encoding), encoding);
        QCOMPARE(*back.LastFolder, QStringLiteral("C:\\壁紙\\"));
        QCOMPARE(back.Entries.size(), 1);
        QCOMPARE(back.Entries[0],
                 (KabegamiEntry{"C:\\壁紙\\", "①ⅰ纊～ｱ.bmp", "C:\\壁紙\\①ⅰ纊～ｱ.bmp", "0"}));
    }

    // Bytes that no encoding gives as text stop the read with a message of their own; they
    // never become replacement characters. Entries before them stay.
    void refusesBytesNoEncodingReads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        QTest::newRow("code page 932, lead byte before a blank")
            << QByteArray("d,f,1\r\n/p/,\x82\xA0.bmp,/p/x,0\r\n/p/,\x81 .bmp,/p/y,0\r\n") << 1;
        QTest::newRow("code page 932, unassigned byte")
            << QByteArray("d,f,1\r\n\xA0,a,b,0\r\n") << 0;
        QTest::newRow("UTF-16 lone surrogate")
            << QByteArray("\xFF\xFEd\0,\0\x00\xD8,\0\x31\0", 12) << 0;
        QTest::newRow("UTF-16 odd length") << QByteArray("\xFE\xFF\0d\0,\0f\0,\0\x31\0", 13) << 0;
    }
    void refusesBytesNoEncodingReads() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, Err::PathFileAccess);
        QVERIFY(back.ErrorDescription.contains(QStringLiteral("読めない")));
        QCOMPARE(back.Entries.size(), entries);
        for (const KabegamiEntry& e : back.Entries) {
            for (const QString& field : {e.Folder, e.FileName, e.KabegamiPath, e.CopiedToPic}) {
                QVERIFY(!field.contains(QChar::ReplacementCharacter));
                QVERIFY(!field.contains(QChar(0x1A)));
            }
        }
    }

    // The bytes before a failing read end anywhere: inside a name, a quoted item or a
    // character. Only entries that ended before the cut are whole.
    void cutReadKeepsOnlyWholeEntries_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        const QByteArray two = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp,/p/b.bmp,0\r\n";
        QTest::newRow("whole") << two << 2;
        QTest::newRow("inside the last field") << two.chopped(3) << 1;
        QTest::newRow("inside a path") << two.chopped(8) << 1;
        QTest::newRow("inside a quoted item")
            << QByteArray("d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n\"/p,\nq/\",b.bmp,/p/b.bmp,0\r\n")
                   .chopped(22)
            << 1;
        QTest::newRow("inside a character")
            << QStringLiteral("d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,海.bmp").toUtf8().chopped(6)
            << 1;
    }
    void cutReadKeepsOnlyWholeEntries() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        const ListFileContent back = ParseListFile(bytes, true);
        QCOMPARE(back.Encoding, ListEncoding::Utf8);
        QCOMPARE(back.Entries.size(), entries);
        QCOMPARE(back.Entries[0], (KabegamiEntry{"/p/", "a.bmp", "/p/a.bmp", "0"}));
    }

    void quotesFieldsTheReaderWouldSplitOrTrim() {
        const KabegamiEntries entries{{" lead/", "a,b.bmp", "x\r\ny", "0"}};
        const QByteArray bytes = FormatListFile({"d", "f", "1"}, entries);
        QCOMPARE(bytes, QByteArray("d,f,1\r\n\" lead/\",\"a,b.bmp\",\"x\r\ny\",0\r\n"));
        QCOMPARE(ParseListFile(bytes).Entries, entries);
    }

    void refusesWhatCannotBeStored() {
        // A field that needs quoting and holds a quotation mark has no way back.
        for (const QString& bad :
             {QStringLiteral("\"quoted"), QStringLiteral("a,\"b"), QStringLiteral("x\ny\"")}) {
            QVERIFY(!IsStorableField(bad));
            try {
                FormatListFile({"d", "f", "1"}, {{"/p/", bad, "/p/x", "0"}});
                QFAIL("an unstorable field was written");
            } catch (const PlatformError& error) {
                QCOMPARE(error.Number, Err::BadFileName);
                QVERIFY(error.Description.contains(bad));
            }
        }
        // A quotation mark inside an otherwise plain field is harmless.
        QVERIFY(IsStorableField(QStringLiteral("say \"hi\".bmp")));
        QVERIFY(!IsStorableField(QString(QChar(0xD800)))); // lone surrogate
    }

    // Every list the writer accepts reads back field for field.
    void roundTripsGeneratedLists() {
        QRandomGenerator random(20261207);
        const QString alphabet = QStringLiteral("ab Z,\"\r\n\t/.-_壁紙ＰｐéÅ😀");
        const auto field = [&]() {
            QString s;
            const int length = random.bounded(0, 12);
            for (int i = 0; i < length; ++i) {
                const int at = random.bounded(alphabet.size());
                // Keep surrogate pairs whole.
                if (alphabet[at].isLowSurrogate())
                    s += alphabet.mid(at - 1, 2);
                else if (alphabet[at].isHighSurrogate())
                    s += alphabet.mid(at, 2);
                else
                    s += alphabet[at];
            }
            return s;
        };
        int written = 0;
        int refused = 0;
        for (int round = 0; round < 3000; ++round) {
            const ListHeader header{field(), field(), field()};
            KabegamiEntries entries;
            const int count = random.bounded(0, 6);
            for (int i = 0; i < count; ++i)
                entries.append({field(), field(), field(), field()});
            QByteArray bytes;
            try {
                bytes = FormatListFile(header, entries);
            } catch (const PlatformError&) {
                ++refused;
                continue;
            }
            ++written;
            QVERIFY(bytes.endsWith("\r\n"));
            const ListFileContent back = ParseListFile(bytes);
            QCOMPARE(back.ErrorNumber, 0);
            QCOMPARE(*back.LastDrive, header.LastDrive);
            QCOMPARE(*back.LastFolder, header.LastFolder);
            QCOMPARE(*back.FileCopySetting, header.FileCopySetting);
            QCOMPARE(back.Entries, entries);
        }
        // Both paths must really have been taken.
        QVERIFY(written > 500);
        QVERIFY(refused > 100);
    }
};

QTEST_GUILESS_MAIN(ListFileFormatTest)
#include "ListFileFormatTest.moc"
