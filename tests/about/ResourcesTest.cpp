#include "Resources.h"
#include "AppIcon.h"

#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QtTest>

using namespace velmora;

class ResourcesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { InitResources(); }
    void iconHasSixteenColours();
    void hammer();
    void aboutPicture();
};

void ResourcesTest::iconHasSixteenColours() {
    const QImage icon(QStringLiteral(":/velmora/icon32.png"));
    QCOMPARE(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb px = icon.pixel(x, y);
            QVERIFY2(qAlpha(px) == 0 || qAlpha(px) == 255, "a mask, not partial transparency");
            if (qAlpha(px) == 255) {
                colours.insert(px);
                ++opaque;
            }
        }
    QVERIFY(colours.size() <= 16);
    QVERIFY(colours.size() >= 4); // a picture, not a blank
    QVERIFY(opaque > 32 * 32 / 2);
    QCOMPARE(AppIcon().pixmap(32, 32).size(), QSize(32, 32));
}

void ResourcesTest::hammer() {
    const QImage hammer =
        QImage(QStringLiteral(":/velmora/hammer.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(hammer.size(), QSize(24, 24));
    int silver = 0, black = 0, red = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const QColor c = hammer.pixelColor(x, y);
            if (c == QColor(192, 192, 192))
                ++silver;
            else if (c.red() < 40 && c.green() < 40 && c.blue() < 40)
                ++black;
            else if (c.red() > 150 && c.green() < 60 && c.blue() < 60)
                ++red;
        }
    QCOMPARE(hammer.pixelColor(0, 0), QColor(192, 192, 192)); // the ground
    QVERIFY(silver > 24 * 24 / 2);
    QVERIFY(black >= 20);
    QVERIFY(red >= 15);
}

void ResourcesTest::aboutPicture() {
    QFile file(QStringLiteral(":/velmora/about.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const qint64 bytes = file.size();
    QVERIFY2(bytes > 24 * 1024 && bytes < 32 * 1024, qPrintable(QString::number(bytes)));
    file.close();

    QImageReader reader(QStringLiteral(":/velmora/about.jpg"));
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage picture = reader.read();
    QCOMPARE(picture.size(), QSize(340, 425));
    // a colour scene with a blue sky above
    const QColor sky = picture.pixelColor(170, 20);
    QVERIFY(sky.blue() > sky.red() + 60 && sky.blue() > sky.green());
}

QTEST_MAIN(ResourcesTest)
#include "ResourcesTest.moc"
