// SPDX-License-Identifier: MIT
// Writing pictures of every readable kind as the 24-bit wallpaper bitmap, atomically.
#include "PictureFiles.h"
#include "PictureTestSupport.h"
#include "PlatformError.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

#include <jpeglib.h>

using namespace velmora;
using namespace velmora::test;
using linux_impl::DecodeForBox;
using linux_impl::DecodeToFill;
using linux_impl::PictureFile;
using linux_impl::ReadPictureHeader;
using linux_impl::WriteBitmapFile;

namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

// An image from its pixels, top row first.
QImage Pixels(int w, int h, const QList<QRgb>& pixels) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int i = 0; i < w * h; ++i)
        image.setPixel(i % w, i / w, pixels.value(i));
    return image;
}

QImage Scenery(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, ((x / 8 + y / 8) % 2) * 60 + 80));
    return image;
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// libjpeg writes an Adobe marker for CMYK, so the stored values are the inverted inks.
void WriteCmykJpeg(const QString& path, int w, int h, const uint8_t cmyk[4]) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(file);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(w) * 4);
    for (int x = 0; x < w; ++x)
        std::copy(cmyk, cmyk + 4, row.begin() + 4 * x);
    for (int y = 0; y < h; ++y) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

} // namespace

class BitmapFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Converts source to out.bmp and returns what was written, checking every header field.
    QImage convert(const QString& source) {
        const QString out = path(QStringLiteral("out.bmp"));
        WriteBitmapFile(ReadPictureHeader(source), out);
        QString problem;
        const QImage written = ReadWrittenBitmap(out, &problem);
        if (!problem.isEmpty())
            qWarning("written bitmap: bad %s", qPrintable(problem));
        return written;
    }

  private Q_SLOTS:
    void plainBitmapPixelsAreCopied() {
        const QImage image = Scenery(7, 5); // 7 pixels: rows need padding
        const QString source = path(QStringLiteral("plain.bmp"));
        QVERIFY(image.save(source, "BMP"));
        const QByteArray original = ReadBytes(source);
        QCOMPARE(int(original[28]), 24);
        QCOMPARE(convert(source), image);
        const QByteArray written = ReadBytes(path(QStringLiteral("out.bmp")));
        const int offset = uint8_t(original[10]);
        QCOMPARE(written.mid(54), original.mid(offset));
    }

    void bitmapFormats_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("expected");

        BmpBuilder b;
        b.width = 3;
        b.height = -2;
        b.pixels = PadRow(Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255})) + PadRow(QByteArray(9, '\0'));
        QTest::newRow("top-down 24 bit")
            << b.build() << Pixels(3, 2, {kBlue, kGreen, kRed, kBlack, kBlack, kBlack});

        b = BmpBuilder();
        b.width = 3;
        b.height = 2;
        b.bitsPerPixel = 8;
        b.colorsUsed = 3;
        b.palette = {qRgb(10, 20, 30), kRed, kGreen};
        b.pixels = PadRow(Bytes({0, 1, 2})) + PadRow(Bytes({2, 9, 1})); // 9: no such colour
        QTest::newRow("8-bit palette")
            << b.build() << Pixels(3, 2, {kGreen, kBlack, kRed, qRgb(10, 20, 30), kRed, kGreen});

        b.headerSize = 12; // OS/2 core header: three-byte palette entries
        b.colorsUsed = 0;
        QTest::newRow("core header")
            << b.build() << Pixels(3, 2, {kGreen, kBlack, kRed, qRgb(10, 20, 30), kRed, kGreen});

        b = BmpBuilder();
        b.width = 5;
        b.height = 1;
        b.bitsPerPixel = 4;
        b.palette = {kBlack, kRed, kGreen, kBlue};
        b.pixels = PadRow(Bytes({0x12, 0x30, 0x10}));
        QTest::newRow("4-bit palette")
            << b.build() << Pixels(5, 1, {kRed, kGreen, kBlue, kBlack, kRed});

        b = BmpBuilder();
        b.width = 10;
        b.height = 1;
        b.bitsPerPixel = 1;
        b.palette = {kBlack, kGreen};
        b.pixels = PadRow(Bytes({0xA5, 0x40}));
        QTest::newRow("1-bit palette") << b.build()
                                       << Pixels(10, 1,
                                                 {kGreen, kBlack, kGreen, kBlack, kBlack, kGreen,
                                                  kBlack, kGreen, kBlack, kGreen});

        b = BmpBuilder();
        b.width = 4;
        b.height = 1;
        b.bitsPerPixel = 16;
        b.pixels = Le16(0x7C00) + Le16(0x03E0) + Le16(0x001F) + Le16(0x4210);
        QTest::newRow("16 bit 5-5-5")
            << b.build() << Pixels(4, 1, {kRed, kGreen, kBlue, qRgb(132, 132, 132)});

        b.compression = 3;
        b.masks = {0xF800, 0x07E0, 0x001F};
        b.pixels = Le16(0xF800) + Le16(0x07E0) + Le16(0x001F) + Le16(0x8410);
        QTest::newRow("16 bit 5-6-5 bit fields")
            << b.build() << Pixels(4, 1, {kRed, kGreen, kBlue, qRgb(132, 130, 132)});

        b = BmpBuilder();
        b.width = 2;
        b.height = 1;
        b.bitsPerPixel = 32;
        b.pixels = Bytes({30, 20, 10, 0, 3, 2, 1, 0}); // fourth byte unused, not alpha
        QTest::newRow("32 bit without alpha")
            << b.build() << Pixels(2, 1, {qRgb(10, 20, 30), qRgb(1, 2, 3)});

        b = BmpBuilder();
        b.headerSize = 124;
        b.width = 3;
        b.height = 1;
        b.bitsPerPixel = 32;
        b.compression = 3;
        b.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        b.pixels = Bytes({50, 100, 200, 128, 50, 100, 200, 0, 50, 100, 200, 255});
        const QImage onBlack = Pixels(3, 1, {qRgb(100, 50, 25), kBlack, qRgb(200, 100, 50)});
        QTest::newRow("V5 alpha onto black") << b.build() << onBlack;

        b.headerSize = 40;
        b.compression = 6; // alpha bit fields after a plain header
        QTest::newRow("alpha bit fields") << b.build() << onBlack;

        // Alpha declared but zero in every pixel: meant to be opaque, as viewers show it.
        b.pixels = Bytes({50, 100, 200, 0, 50, 100, 200, 0, 50, 100, 200, 0});
        const QImage opaque = Pixels(3, 1, QList<QRgb>(3, qRgb(200, 100, 50)));
        QTest::newRow("alpha bit fields all zero") << b.build() << opaque;
        b.headerSize = 124;
        b.compression = 3;
        QTest::newRow("V5 alpha all zero") << b.build() << opaque;

        // RLE8: runs, a literal run, a move up and right, end of bitmap.
        b = BmpBuilder();
        b.width = 6;
        b.height = 4;
        b.bitsPerPixel = 8;
        b.compression = 1;
        b.palette = {qRgb(10, 20, 30), kRed, kGreen, kBlue};
        b.pixels = Bytes({3, 1, 0, 3, 2, 0, 1, 0, 0, 0, // bottom row
                          2, 2, 0, 2, 3, 1,             // two green, then to x 5 one row up
                          1, 1, 0, 0,                   // one red
                          0, 1});                       // the top row is left black
        QTest::newRow("RLE8") << b.build()
                              << Pixels(
                                     6, 4,
                                     {kBlack, kBlack, kBlack, kBlack, kBlack,           kBlack, //
                                      kBlack, kBlack, kBlack, kBlack, kBlack,           kRed,   //
                                      kGreen, kGreen, kBlack, kBlack, kBlack,           kBlack, //
                                      kRed,   kRed,   kRed,   kGreen, qRgb(10, 20, 30), kRed});

        b.pixels.chop(6); // the stream stops in the middle: the rest stays black
        QTest::newRow("RLE8 cut short")
            << b.build()
            << Pixels(6, 4, {kBlack, kBlack, kBlack, kBlack, kBlack,           kBlack, //
                             kBlack, kBlack, kBlack, kBlack, kBlack,           kBlack, //
                             kGreen, kGreen, kBlack, kBlack, kBlack,           kBlack, //
                             kRed,   kRed,   kRed,   kGreen, qRgb(10, 20, 30), kRed});

        b = BmpBuilder();
        b.width = 5;
        b.height = 2;
        b.bitsPerPixel = 4;
        b.compression = 2;
        b.palette = {kBlack, kRed, kGreen, kBlue};
        b.pixels = Bytes({0, 3, 0x12, 0x30, 2, 0x11, 0, 0, // literal 1 2 3, then 1 1
                          5, 0x12, 0, 1});                 // alternating 1 2 1 2 1
        QTest::newRow("RLE4") << b.build()
                              << Pixels(5, 2,
                                        {kRed, kGreen, kRed, kGreen, kRed, kRed, kGreen, kBlue,
                                         kRed, kRed});
    }

    void bitmapFormats() {
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, expected);
        const QString source = path(QStringLiteral("format.bmp"));
        WriteBytes(source, bytes);
        const PictureFile info = ReadPictureHeader(source);
        QCOMPARE(info.size, expected.size());
        QCOMPARE(convert(source), expected);
        // At its own size the preview and the wallpaper's decoding are the picture itself.
        QCOMPARE(DecodeForBox(info, expected.size()), expected);
        QCOMPARE(DecodeToFill(info, expected.size()), expected);
    }

    void jpegsMatchTheirDecoding() {
        const QImage image = Scenery(123, 77);
        QVERIFY(image.save(path(QStringLiteral("baseline.jpg")), "JPEG", 95));
        QImageWriter writer(path(QStringLiteral("progressive.jpg")), "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(image));
        QVERIFY(image.convertToFormat(QImage::Format_Grayscale8)
                    .save(path(QStringLiteral("grey.jpg")), "JPEG"));
        for (const char* name : {"baseline.jpg", "progressive.jpg", "grey.jpg"}) {
            const QString source = path(QString::fromLatin1(name));
            const QImage written = convert(source);
            QCOMPARE(written.size(), QSize(123, 77));
            QVERIFY2(MaxChannelDifference(written, QImage(source)) <= 2, name);
        }
    }

    void cmykJpeg() {
        const uint8_t stored[4] = {200, 100, 50, 255};
        WriteCmykJpeg(path(QStringLiteral("cmyk.jpg")), 16, 16, stored);
        const QImage written = convert(path(QStringLiteral("cmyk.jpg")));
        QCOMPARE(written.size(), QSize(16, 16));
        QVERIFY(MaxChannelDifference(written,
                                     Pixels(16, 16, QList<QRgb>(256, qRgb(200, 100, 50)))) <= 3);
    }

    // A JPEG whose data stops early is shown as far as it goes, grey below, as viewers do.
    void truncatedJpegIsAccepted() {
        QVERIFY(Scenery(128, 128).save(path(QStringLiteral("whole.jpg")), "JPEG", 90));
        const QByteArray whole = ReadBytes(path(QStringLiteral("whole.jpg")));
        const qsizetype scan = whole.indexOf(QByteArray("\xFF\xDA", 2));
        QVERIFY(scan > 0);
        WriteBytes(path(QStringLiteral("cut.jpg")), whole.left(scan + (whole.size() - scan) / 2));
        const QImage written = convert(path(QStringLiteral("cut.jpg")));
        QCOMPARE(written.size(), QSize(128, 128));
        const QImage top = QImage(path(QStringLiteral("whole.jpg"))).copy(0, 0, 128, 16);
        QVERIFY(MaxChannelDifference(written.copy(0, 0, 128, 16), top) <= 2);
        const QRgb bottom = written.pixel(100, 127);
        QVERIFY(qAbs(qRed(bottom) - 128) <= 3 && qAbs(qBlue(bottom) - 128) <= 3);

        // Cut inside the tables: nothing to show.
        WriteBytes(path(QStringLiteral("cut.jpg")), whole.left(scan - 20));
        QCOMPARE(ErrorNumberOf([&] { convert(path(QStringLiteral("cut.jpg"))); }),
                 Err::InvalidPicture);
    }

    void replacingLeavesNothingBehind() {
        const QString first = path(QStringLiteral("first.bmp"));
        const QString second = path(QStringLiteral("second.jpg"));
        QVERIFY(Scenery(40, 30).save(first, "BMP"));
        QVERIFY(Scenery(20, 50).save(second, "JPEG"));
        QCOMPARE(convert(first).size(), QSize(40, 30));
        QCOMPARE(convert(second).size(), QSize(20, 50));
        QVERIFY(TemporaryFilesIn(dir_.path()).isEmpty());
    }

    void failuresKeepTheOldFile() {
        const QString source = path(QStringLiteral("source.bmp"));
        QVERIFY(Scenery(300, 200).save(source, "BMP"));
        const PictureFile info = ReadPictureHeader(source);
        QTemporaryDir target;
        const QString old = target.filePath(QStringLiteral("wallpaper.bmp"));
        WriteBytes(old, "the previous wallpaper");

        // No such folder.
        QCOMPARE(linux_impl::ReadPictureHeader(source).size, QSize(300, 200));
        QCOMPARE(ErrorNumberOf(
                     [&] { WriteBitmapFile(info, target.filePath(QStringLiteral("gone/w.bmp"))); }),
                 Err::PathNotFound);

        // A folder in the way: everything is written, then the rename fails.
        QVERIFY(QDir(target.path()).mkdir(QStringLiteral("folder.bmp")));
        QCOMPARE(ErrorNumberOf(
                     [&] { WriteBitmapFile(info, target.filePath(QStringLiteral("folder.bmp"))); }),
                 Err::PathFileAccess);
        QVERIFY(QFileInfo(target.filePath(QStringLiteral("folder.bmp"))).isDir());

        // The file size limit stops the writing half way, as a full disk would.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 50000;
        setrlimit(RLIMIT_FSIZE, &small);
        const int limited = ErrorNumberOf([&] { WriteBitmapFile(info, old); });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(limited != 0);

        if (geteuid() != 0) {
            QFile::setPermissions(target.path(), QFile::ReadOwner | QFile::ExeOwner);
            const int readOnly = ErrorNumberOf([&] { WriteBitmapFile(info, old); });
            QFile::setPermissions(target.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(readOnly, Err::PermissionDenied);
        }

        QCOMPARE(ReadBytes(old), QByteArray("the previous wallpaper"));
        QVERIFY(TemporaryFilesIn(target.path()).isEmpty());
        QCOMPARE(
            QDir(target.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList({QStringLiteral("folder.bmp"), QStringLiteral("wallpaper.bmp")}));
    }
};

QTEST_GUILESS_MAIN(BitmapFileTest)
#include "BitmapFileTest.moc"
