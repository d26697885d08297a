// SPDX-License-Identifier: MIT
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

// At 1x and 2x, on a transparent ground that lets any button face show through.
void ResourcesTest::hammer() {
    for (const auto& [file, scale] :
         {std::pair{":/velmora/hammer.png", 1}, std::pair{":/velmora/hammer@2x.png", 2}}) {
        const QImage hammer =
            QImage(QString::fromLatin1(file)).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(hammer.size(), QSize(24, 24) * scale);
        QVERIFY(hammer.hasAlphaChannel());
        int clear = 0, black = 0, red = 0;
        for (int y = 0; y < hammer.height(); ++y)
            for (int x = 0; x < hammer.width(); ++x) {
                const QColor c = hammer.pixelColor(x, y);
                if (c.alpha() == 0)
                    ++clear;
                else if (c.alpha() < 255)
                    continue;
                else if (c.red() < 40 && c.green() < 40 && c.blue() < 40)
                    ++black;
                else if (c.red() > 150 && c.green() < 60 && c.blue() < 60)
                    ++red;
            }
        const int area = scale * scale;
        QCOMPARE(hammer.pixelColor(0, 0).alpha(), 0); // the ground
        QVERIFY(clear > hammer.width() * hammer.height() / 2);
        QVERIFY(black >= 20 * area);
        QVERIFY(red >= 15 * area);
    }
    // The button asks for both, and gets the sharp one on a doubled screen.
    QIcon icon;
    icon.addFile(QStringLiteral(":/velmora/hammer.png"));
    icon.addFile(QStringLiteral(":/velmora/hammer@2x.png"));
    QCOMPARE(icon.pixmap(QSize(24, 24), 2.0).size(), QSize(48, 48));
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
