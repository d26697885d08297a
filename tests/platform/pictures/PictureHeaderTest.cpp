// SPDX-License-Identifier: MIT
// Recognising pictures by their content and refusing what cannot or should not be loaded.
#include "PictureFiles.h"
#include "PictureTestSupport.h"
#include "PlatformError.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace velmora;
using namespace velmora::test;
using linux_impl::DecodeForBox;
using linux_impl::PictureFile;
using linux_impl::ReadPictureHeader;
using linux_impl::WriteBitmapFile;

namespace {

QImage Gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 90));
    return image;
}

// A small baseline JPEG whose SOF0 frame size is at a known place for patching.
QByteArray JpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

void PatchFrameSize(QByteArray& jpeg, int width, int height) {
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width);
}

} // namespace

class PictureHeaderTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

  private Q_SLOTS:
    void recognisesByContentNotByName() {
        const QImage image = Gradient(33, 17);
        QVERIFY(image.save(path("bitmap.jpg"), "BMP"));
        QVERIFY(image.save(path("photo.bmp"), "JPEG"));
        QVERIFY(image.save(path("photo"), "JPEG"));

        PictureFile info = ReadPictureHeader(path("bitmap.jpg"));
        QCOMPARE(info.kind, PictureKind::Bmp);
        QCOMPARE(info.size, QSize(33, 17));
        QCOMPARE(info.path, path("bitmap.jpg"));
        info = ReadPictureHeader(path("photo.bmp"));
        QCOMPARE(info.kind, PictureKind::Jpeg);
        QCOMPARE(info.size, QSize(33, 17));
        QCOMPARE(ReadPictureHeader(path("photo")).kind, PictureKind::Jpeg);
    }

    void progressiveAndGreyJpegs() {
        QImageWriter writer(path("progressive.jpg"), "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(Gradient(640, 480)));
        QCOMPARE(ReadPictureHeader(path("progressive.jpg")).size, QSize(640, 480));
        QVERIFY(Gradient(20, 30)
                    .convertToFormat(QImage::Format_Grayscale8)
                    .save(path("grey.jpg"), "JPEG"));
        QCOMPARE(ReadPictureHeader(path("grey.jpg")).size, QSize(20, 30));
    }

    void nonPicturesAreInvalid() {
        WriteBytes(path("text.jpg"), "これは写真ではありません\n");
        WriteBytes(path("empty.bmp"), QByteArray());
        WriteBytes(path("b.bmp"), "B");
        WriteBytes(path("soi-only.jpg"), QByteArray("\xFF\xD8\xFF", 3));
        QByteArray junk("\xFF\xD8\xFF\xE0", 4);
        junk += QByteArray(500, '\x5A');
        WriteBytes(path("junk.jpg"), junk);
        for (const char* name : {"text.jpg", "empty.bmp", "b.bmp", "soi-only.jpg", "junk.jpg"})
            QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path(name)); }), Err::InvalidPicture);
        // A folder is not a picture either.
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(dir_.path()); }), Err::PathFileAccess);
    }

    void aFifoIsRefusedWithoutWaitingForAWriter() {
        const QString fifo = path("pipe.jpg");
        const QByteArray fifoName = QFile::encodeName(fifo);
        QVERIFY(::mkfifo(fifoName.constData(), 0600) == 0);
        // A picture that was a file when its header was read and is a FIFO now.
        const PictureFile became{fifo, PictureKind::Jpeg, QSize(10, 10)};
        const QList<std::function<void()>> reads{
            [&] { ReadPictureHeader(fifo); }, [&] { DecodeForBox(became, QSize(145, 145)); },
            [&] { WriteBitmapFile(became, path("from-pipe.bmp")); }};
        for (const std::function<void()>& read : reads) {
            std::atomic<int> number{-1};
            std::thread reader([&] { number = ErrorNumberOf(read); });
            const bool answered = QTest::qWaitFor([&] { return number != -1; }, 30000);
            if (!answered) {
                // The open waits for a writer, for good: give it one so the test can end.
                const int writer = ::open(fifoName.constData(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    ::close(writer);
            }
            reader.join();
            QVERIFY2(answered, "opening a FIFO waited for a writer");
            QCOMPARE(number.load(), Err::InvalidPicture);
        }
        QVERIFY(!QFile::exists(path("from-pipe.bmp")));
    }

    void missingFileAndFolder() {
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path("gone.jpg")); }), Err::FileNotFound);
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path("no-folder/gone.jpg")); }),
                 Err::PathNotFound);
        const PictureFile gone{path("gone.bmp"), PictureKind::Bmp, QSize(10, 10)};
        QCOMPARE(ErrorNumberOf([&] { WriteBitmapFile(gone, path("out.bmp")); }), Err::FileNotFound);
        QCOMPARE(ErrorNumberOf([&] { DecodeForBox(gone, QSize(145, 145)); }), Err::FileNotFound);
        QVERIFY(!QFile::exists(path("out.bmp")));
    }

    void hostileBitmapHeaders_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        auto bmp = [](int32_t w, int32_t h, QByteArray pixels = QByteArray(64, '\0')) {
            BmpBuilder b;
            b.width = w;
            b.height = h;
            b.pixels = pixels;
            return b;
        };
        QTest::newRow("height INT32_MIN") << bmp(4, INT32_MIN).build() << Err::InvalidPicture;
        QTest::newRow("negative width") << bmp(-4, 4).build() << Err::InvalidPicture;
        QTest::newRow("zero height") << bmp(4, 0).build() << Err::InvalidPicture;
        QTest::newRow("5000x5000 in 1 KB")
            << bmp(5000, 5000, QByteArray(1000, '\0')).build() << Err::InvalidPicture;
        QTest::newRow("2^30 x 1") << bmp(1 << 30, 1).build() << Err::OutOfMemory;
        QTest::newRow("70000 wide") << bmp(70000, 2).build() << Err::OutOfMemory;
        QTest::newRow("20000x20000") << bmp(20000, -20000).build() << Err::OutOfMemory;

        BmpBuilder b = bmp(4, 4);
        b.bitsPerPixel = 7;
        QTest::newRow("7 bits") << b.build() << Err::InvalidPicture;
        b = bmp(4, 4);
        b.compression = 4; // an embedded JPEG
        QTest::newRow("embedded JPEG") << b.build() << Err::InvalidPicture;
        b = bmp(4, -4);
        b.bitsPerPixel = 8;
        b.compression = 1;
        b.palette = {qRgb(0, 0, 0)};
        QTest::newRow("top-down RLE") << b.build() << Err::InvalidPicture;
        b = bmp(4, 4);
        b.bitsPerPixel = 16;
        b.compression = 3;
        b.masks = {0xF00F, 0x00F0, 0x0F00};
        QTest::newRow("mask in pieces") << b.build() << Err::InvalidPicture;
        b.masks = {0x1F0000, 0x00F0, 0x0F00};
        QTest::newRow("mask beyond pixel") << b.build() << Err::InvalidPicture;
        b = bmp(4, 4);
        b.bitsPerPixel = 8;
        QTest::newRow("palette missing") << b.build() << Err::InvalidPicture;

        QByteArray odd = bmp(4, 4).build();
        odd[14] = 99; // unknown info header size
        QTest::newRow("header size 99") << odd << Err::InvalidPicture;
        QByteArray far = bmp(4, 4).build();
        far[10] = char(0xFF);
        far[11] = char(0xFF);
        QTest::newRow("pixels beyond the end") << far << Err::InvalidPicture;
        QTest::newRow("cut in the header") << bmp(4, 4).build().left(30) << Err::InvalidPicture;
    }

    void hostileBitmapHeaders() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        const QString file = path("hostile.bmp");
        WriteBytes(file, bytes);
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(file); }), error);
        const PictureFile info{file, PictureKind::Bmp, QSize(4, 4)};
        QCOMPARE(ErrorNumberOf([&] { WriteBitmapFile(info, path("hostile-out.bmp")); }), error);
        QCOMPARE(ErrorNumberOf([&] { DecodeForBox(info, QSize(145, 145)); }), error);
        QVERIFY(!QFile::exists(path("hostile-out.bmp")));
        QVERIFY(TemporaryFilesIn(dir_.path()).isEmpty());
    }

    void palettesLargerThanDeclaredAreClamped() {
        // A colour count of four billion must not become an allocation.
        BmpBuilder b;
        b.width = 2;
        b.height = 1;
        b.bitsPerPixel = 8;
        b.colorsUsed = 0xFFFFFFFF;
        b.palette = {qRgb(1, 2, 3), qRgb(4, 5, 6)};
        b.pixels = PadRow(QByteArray("\x00\x01", 2));
        WriteBytes(path("many-colours.bmp"), b.build());
        QCOMPARE(ReadPictureHeader(path("many-colours.bmp")).size, QSize(2, 1));
    }

    void hostileJpegHeaders() {
        QByteArray huge = JpegBytes(Gradient(16, 16));
        PatchFrameSize(huge, 60000, 60000);
        WriteBytes(path("huge.jpg"), huge);
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path("huge.jpg")); }), Err::OutOfMemory);
        const PictureFile info{path("huge.jpg"), PictureKind::Jpeg, QSize(16, 16)};
        QCOMPARE(ErrorNumberOf([&] { WriteBitmapFile(info, path("huge.bmp")); }), Err::OutOfMemory);
        QVERIFY(!QFile::exists(path("huge.bmp")));

        // Declares 64 megapixels in a file of a few hundred bytes.
        QByteArray hollow = JpegBytes(Gradient(16, 16));
        PatchFrameSize(hollow, 8000, 8000);
        WriteBytes(path("hollow.jpg"), hollow);
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path("hollow.jpg")); }),
                 Err::InvalidPicture);
        const PictureFile hollowInfo{path("hollow.jpg"), PictureKind::Jpeg, QSize(16, 16)};
        QCOMPARE(ErrorNumberOf([&] { WriteBitmapFile(hollowInfo, path("hollow.bmp")); }),
                 Err::InvalidPicture);
        QVERIFY(!QFile::exists(path("hollow.bmp")));

        QByteArray empty = JpegBytes(Gradient(16, 16));
        PatchFrameSize(empty, 16, 0);
        WriteBytes(path("empty.jpg"), empty);
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path("empty.jpg")); }), Err::InvalidPicture);

        const QByteArray good = JpegBytes(Gradient(16, 16));
        WriteBytes(path("cut-header.jpg"), good.left(good.indexOf(QByteArray("\xFF\xC0", 2)) + 4));
        QCOMPARE(ErrorNumberOf([&] { ReadPictureHeader(path("cut-header.jpg")); }),
                 Err::InvalidPicture);
    }

    // Damaged variants of real files: every operation either works or reports 481 or 7.
    void damagedFilesAreRefusedCleanly() {
        QList<QByteArray> originals;
        originals << JpegBytes(Gradient(40, 24));
        QBuffer progressive;
        progressive.open(QIODevice::WriteOnly);
        QImageWriter writer(&progressive, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(Gradient(40, 24)));
        originals << progressive.data();
        BmpBuilder rle;
        rle.width = 13;
        rle.height = 7;
        rle.bitsPerPixel = 8;
        rle.compression = 1;
        rle.palette = {qRgb(1, 2, 3), qRgb(200, 0, 0), qRgb(0, 200, 0)};
        for (int y = 0; y < 7; ++y)
            rle.pixels += QByteArray("\x05\x01\x00\x03\x02\x01\x02\x00\x00\x00", 10);
        originals << rle.build();
        BmpBuilder fields;
        fields.headerSize = 124;
        fields.width = 5;
        fields.height = -3;
        fields.bitsPerPixel = 16;
        fields.compression = 3;
        fields.masks = {0xF800, 0x07E0, 0x001F, 0};
        fields.pixels = QByteArray(3 * 12, '\x5A');
        originals << fields.build();

        QRandomGenerator random(20240611);
        const QString file = path("damaged.pic");
        const QString out = path("damaged-out.bmp");
        for (const QByteArray& original : originals) {
            for (int round = 0; round < 150; ++round) {
                QByteArray bytes = original;
                const int changes = 1 + random.bounded(4);
                for (int c = 0; c < changes; ++c) {
                    const int at = random.bounded(int(bytes.size()));
                    bytes[at] = char(random.bounded(256));
                }
                if (random.bounded(4) == 0)
                    bytes.truncate(random.bounded(int(bytes.size())));
                WriteBytes(file, bytes);
                const PictureFile info{file, PictureKind::Bmp, QSize(1, 1)};
                for (int error : {ErrorNumberOf([&] { ReadPictureHeader(file); }),
                                  ErrorNumberOf([&] { WriteBitmapFile(info, out); }),
                                  ErrorNumberOf([&] { DecodeForBox(info, QSize(31, 31)); })})
                    QVERIFY2(error == 0 || error == Err::InvalidPicture ||
                                 error == Err::OutOfMemory,
                             qPrintable(QString::number(error)));
            }
        }
        QVERIFY(TemporaryFilesIn(dir_.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PictureHeaderTest)
#include "PictureHeaderTest.moc"
