// SPDX-License-Identifier: MIT
// Previews: reduced decoding that still fills the preview box at the picture's proportions.
#include "PictureFiles.h"
#include "PictureTestSupport.h"
#include "PlatformError.h"

#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using namespace velmora::test;
using linux_impl::DecodeForBox;
using linux_impl::FitIntoBox;
using linux_impl::PictureFile;
using linux_impl::ReadPictureHeader;

namespace {

// Red, green / blue, white quadrants.
QImage Quadrants(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::white);
    return image;
}

QByteArray TopDownBitmap(const QImage& image) {
    BmpBuilder b;
    b.width = image.width();
    b.height = -image.height();
    for (int y = 0; y < image.height(); ++y) {
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            row += char(qBlue(c));
            row += char(qGreen(c));
            row += char(qRed(c));
        }
        b.pixels += PadRow(row);
    }
    return b.build();
}

// The same quadrants as an RLE8 bitmap (w a multiple of 400).
QByteArray RunLengthQuadrants(int w, int h) {
    BmpBuilder b;
    b.width = w;
    b.height = h;
    b.bitsPerPixel = 8;
    b.compression = 1;
    b.palette = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                 qRgb(255, 255, 255)};
    for (int stored = 0; stored < h; ++stored) {
        const bool top = h - 1 - stored < h / 2;
        for (int x = 0; x < w; x += 200) {
            b.pixels += char(std::min(200, w - x));
            b.pixels += char((top ? 1 : 3) + (x >= w / 2));
        }
        b.pixels += QByteArray(2, '\0');
    }
    b.pixels += QByteArray("\0\1", 2);
    return b.build();
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class PicturePreviewTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private Q_SLOTS:
    void fitIntoBox_data() {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("fit");
        QTest::newRow("landscape") << QSize(640, 480) << QSize(145, 145) << QSize(145, 109);
        QTest::newRow("portrait") << QSize(480, 640) << QSize(145, 145) << QSize(109, 145);
        QTest::newRow("square") << QSize(100, 100) << QSize(145, 145) << QSize(145, 145);
        QTest::newRow("24 MP") << QSize(6000, 4000) << QSize(145, 145) << QSize(145, 97);
        QTest::newRow("thin") << QSize(1, 1000) << QSize(145, 145) << QSize(1, 145);
        QTest::newRow("flat") << QSize(65535, 1) << QSize(145, 145) << QSize(145, 1);
        QTest::newRow("wide box") << QSize(100, 100) << QSize(200, 100) << QSize(100, 100);
        QTest::newRow("wide box, wider picture")
            << QSize(4000, 1000) << QSize(200, 100) << QSize(200, 50);
    }

    void fitIntoBox() {
        QFETCH(QSize, natural);
        QFETCH(QSize, box);
        QFETCH(QSize, fit);
        QCOMPARE(FitIntoBox(natural, box), fit);
    }

    void previewsKeepPictureAndOrientation_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("tolerance");
        const QImage image = Quadrants(1200, 800);
        QVERIFY(image.save(path(QStringLiteral("bottom-up.bmp")), "BMP"));
        WriteBytes(path(QStringLiteral("top-down.bmp")), TopDownBitmap(image));
        WriteBytes(path(QStringLiteral("rle.bmp")), RunLengthQuadrants(1200, 800));
        QVERIFY(image.save(path(QStringLiteral("baseline.jpg")), "JPEG", 90));
        QImageWriter writer(path(QStringLiteral("progressive.jpg")), "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(image));
        QTest::newRow("bottom-up BMP") << path(QStringLiteral("bottom-up.bmp")) << 0;
        QTest::newRow("top-down BMP") << path(QStringLiteral("top-down.bmp")) << 0;
        QTest::newRow("RLE8 BMP") << path(QStringLiteral("rle.bmp")) << 0;
        QTest::newRow("baseline JPEG") << path(QStringLiteral("baseline.jpg")) << 12;
        QTest::newRow("progressive JPEG") << path(QStringLiteral("progressive.jpg")) << 12;
    }

    void previewsKeepPictureAndOrientation() {
        QFETCH(QString, file);
        QFETCH(int, tolerance);
        const QImage preview = DecodeForBox(ReadPictureHeader(file), QSize(145, 145));
        QCOMPARE(preview.size(), QSize(145, 97));
        QVERIFY(preview.format() == QImage::Format_RGB32 ||
                preview.format() == QImage::Format_RGB888);
        QVERIFY(Near(preview.pixel(30, 20), qRgb(255, 0, 0), tolerance));
        QVERIFY(Near(preview.pixel(115, 20), qRgb(0, 255, 0), tolerance));
        QVERIFY(Near(preview.pixel(30, 75), qRgb(0, 0, 255), tolerance));
        QVERIFY(Near(preview.pixel(115, 75), qRgb(255, 255, 255), tolerance));
    }

    // Reduction averages: a fine checkerboard previews as its mean grey, not as one colour.
    void reductionAverages() {
        QImage checkers(400, 400, QImage::Format_RGB32);
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x)
                checkers.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QVERIFY(checkers.save(path(QStringLiteral("checkers.bmp")), "BMP"));
        const QImage preview =
            DecodeForBox(ReadPictureHeader(path(QStringLiteral("checkers.bmp"))), QSize(100, 100));
        QCOMPARE(preview.size(), QSize(100, 100));
        QVERIFY(Near(preview.pixel(50, 50), qRgb(128, 128, 128), 2));
    }

    void smallPicturesAreEnlargedToTheBox() {
        QVERIFY(Quadrants(50, 40).save(path(QStringLiteral("small.jpg")), "JPEG"));
        QVERIFY(Quadrants(40, 50).save(path(QStringLiteral("small.bmp")), "BMP"));
        QCOMPARE(DecodeForBox(ReadPictureHeader(path(QStringLiteral("small.jpg"))), QSize(145, 145))
                     .size(),
                 QSize(145, 116));
        QCOMPARE(DecodeForBox(ReadPictureHeader(path(QStringLiteral("small.bmp"))), QSize(145, 145))
                     .size(),
                 QSize(116, 145));
    }

    void largeJpegReducesToTheBox() {
        QVERIFY(Quadrants(4000, 3000).save(path(QStringLiteral("large.jpg")), "JPEG", 80));
        const QImage preview =
            DecodeForBox(ReadPictureHeader(path(QStringLiteral("large.jpg"))), QSize(145, 145));
        QCOMPARE(preview.size(), QSize(145, 109));
        QVERIFY(Near(preview.pixel(115, 80), qRgb(255, 255, 255), 12));
    }

    void previewOfChangedOrVanishedFile() {
        const QString file = path(QStringLiteral("changing.jpg"));
        QVERIFY(Quadrants(300, 200).save(file, "JPEG"));
        const PictureFile info = ReadPictureHeader(file);
        WriteBytes(file, "no longer a picture");
        QCOMPARE(ErrorNumberOf([&] { DecodeForBox(info, QSize(145, 145)); }), Err::InvalidPicture);
        QFile::remove(file);
        QCOMPARE(ErrorNumberOf([&] { DecodeForBox(info, QSize(145, 145)); }), Err::FileNotFound);
    }
};

QTEST_MAIN(PicturePreviewTest)
#include "PicturePreviewTest.moc"
