// SPDX-License-Identifier: MIT
// The fuzz targets' properties, run over their seed corpora and every reproducer a fuzz run
// found, in the ordinary build: a broken property aborts this test.
#include "Cp932Decoder.h"
#include "FuzzChecks.h"
#include "ListFileFormat.h"
#include "QtText.h"
#include "SystemServices.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <string>
#include <string_view>

using namespace velmora;

namespace {

// The older lists' code page through the platform's own decoder.
class Cp932 : public TextDecoding {
  public:
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override {
        return decoder_.ToUtf8(bytes);
    }

  private:
    linux_impl::Cp932Decoder decoder_;
};

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
        const std::string mark = "\xEF\xBB\xBF"; // U+FEFF
        const ListHeader header{mark + "/ [x]", mark, "1"};
        const KabegamiEntries entries{{mark, mark + "\"a\".bmp", "/p", "0"}};
        const std::string bytes = FormatListFile(header, entries);
        QVERIFY(bytes.starts_with("\xEF\xBB\xBF\xEF\xBB\xBF/ [x],\xEF\xBB\xBF,1\r\n"));
        Cp932 legacy;
        const ListFileContent back = ParseListFile(bytes, legacy);
        QCOMPARE(back.ErrorNumber, 0);
        QVERIFY(back.LastDrive.has_value());
        QCOMPARE(FromUtf8(*back.LastDrive), FromUtf8(header.LastDrive));
        QVERIFY(back.LastFolder.has_value());
        QCOMPARE(FromUtf8(*back.LastFolder), FromUtf8(header.LastFolder));
        QVERIFY(back.Entries == entries);
        // A file that begins with a byte-order mark of its own still reads as before, and a
        // list without U+FEFF is written as it always was.
        const ListFileContent marked = ParseListFile("\xEF\xBB\xBF/ [x],/p/,1\r\n", legacy);
        QVERIFY(marked.LastDrive.has_value());
        QCOMPARE(FromUtf8(*marked.LastDrive), QStringLiteral("/ [x]"));
        QCOMPARE(QByteArray::fromStdString(FormatListFile({"/ [x]", "/p/", "1"}, {})),
                 QByteArray("/ [x],/p/,1\r\n"));
    }

    void listReaderCorpus() {
        const QStringList files = CorpusFiles("list_reader");
        QVERIFY(files.size() >= 10);
        for (const QString& file : files)
            fuzz::CheckListReader(Read(file).toStdString());
    }

    void listRoundTripCorpus() {
        const QStringList files = CorpusFiles("list_roundtrip");
        QVERIFY(files.size() >= 5);
        for (const QString& file : files)
            fuzz::CheckListRoundTrip(Read(file).toStdString());
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
