// SPDX-License-Identifier: MIT
// The fuzz targets' properties, run over their seed corpora and every reproducer a fuzz run
// found, in the ordinary build: a broken property aborts this test.
#include "FuzzChecks.h"
#include "ListFileFormat.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList CorpusFiles(const char* target) {
    const QDir dir(QStringLiteral(VELMORA_FUZZ_CORPUS "/") + QString::fromUtf8(target));
    QStringList paths;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

} // namespace

class FuzzCorpusTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Found by the round-trip target: decoding drops a byte-order mark at the start of the
    // file, so a first field beginning with U+FEFF is written behind one more. Found next by
    // the reader target: quoting such fields instead made a field the reader gives back
    // (U+FEFF, then a quotation mark) unstorable.
    void byteOrderMarkAtTheStartOfAField() {
        const QString mark = QStringLiteral("\uFEFF");
        const ListHeader header{mark + QStringLiteral("/ [x]"), mark, QStringLiteral("1")};
        const KabegamiEntries entries{
            {mark, mark + QStringLiteral("\"a\".bmp"), QStringLiteral("/p"), QStringLiteral("0")}};
        const QByteArray bytes = FormatListFile(header, entries);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xEF\xBB\xBF/ [x],\xEF\xBB\xBF,1\r\n"));
        const ListFileContent back = ParseListFile(bytes);
        QCOMPARE(back.ErrorNumber, 0);
        QCOMPARE(back.LastDrive, header.LastDrive);
        QCOMPARE(back.LastFolder, header.LastFolder);
        QCOMPARE(back.Entries, entries);
        // A file that begins with a byte-order mark of its own still reads as before, and a
        // list without U+FEFF is written as it always was.
        QCOMPARE(ParseListFile("\xEF\xBB\xBF/ [x],/p/,1\r\n").LastDrive, QStringLiteral("/ [x]"));
        QCOMPARE(FormatListFile(
                     {QStringLiteral("/ [x]"), QStringLiteral("/p/"), QStringLiteral("1")}, {}),
                 QByteArray("/ [x],/p/,1\r\n"));
    }

    void listReaderCorpus() {
        const QStringList files = CorpusFiles("list_reader");
        QVERIFY(files.size() >= 10);
        for (const QString& file : files)
            fuzz::CheckListReader(Read(file));
    }

    void listRoundTripCorpus() {
        const QStringList files = CorpusFiles("list_roundtrip");
        QVERIFY(files.size() >= 5);
        for (const QString& file : files)
            fuzz::CheckListRoundTrip(Read(file));
    }

    void pictureCorpus() {
        const QStringList files = CorpusFiles("picture");
        QVERIFY(files.size() >= 10);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        for (const QString& file : files)
            fuzz::CheckPicture(file, scratch.path());
    }
};

QTEST_GUILESS_MAIN(FuzzCorpusTest)
#include "FuzzCorpusTest.moc"
