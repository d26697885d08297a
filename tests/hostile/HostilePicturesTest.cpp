// SPDX-License-Identifier: MIT
// Hand-made hostile picture files through the program's real picture path: the header
// check, the bitmap writer and the preview of the Linux platform. Each hostile file is
// refused with its error number before anything large is allocated; damaged files that
// viewers show are shown as far as they go. run-hostile.sh runs this under /usr/bin/time
// and a limit on the address space, which turns any large allocation into a failure.
#include "LinuxPlatform.h"
#include "PlatformError.h"
#include "QtText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace velmora;

namespace {

constexpr long kPeakLimitKiB = 300 * 1024;
// What the first file may add to the peak, with the libraries' first use, and what any
// later refused file may add.
constexpr long kFirstFileGrowthKiB = 48 * 1024;
constexpr long kRefusalGrowthKiB = 8 * 1024;

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString FilePath(const char* name) {
    return QStringLiteral(VELMORA_HOSTILE_FILES "/") + QString::fromUtf8(name);
}

// The error number the call threw (0 for none), or -1 when its message is not the
// platform's own for that number.
int Refusal(const std::function<void()>& call, QString* message = nullptr) {
    try {
        call();
    } catch (const PlatformError& e) {
        if (message)
            *message = QString::fromStdString(e.Description);
        return e.Description == ErrorDescription(e.Number) ? e.Number : -1;
    }
    return 0;
}

// The picture's natural size as a QSize, the type the test data uses.
QSize SizeOf(const PictureInfo& picture) {
    return QSize(picture.Width, picture.Height);
}

// The largest address space the process has held, from the kernel's own account.
QByteArray VirtualPeak() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed();
    return {};
}

} // namespace

class HostilePicturesTest : public QObject {
    Q_OBJECT
    LinuxPlatform platform_;
    QTemporaryDir out_;
    long lastPeak_ = 0;
    bool first_ = true;

    // The growth of the peak since the last file, in KiB.
    long peakGrowth() {
        const long peak = PeakKiB();
        const long growth = peak - lastPeak_;
        lastPeak_ = peak;
        return growth;
    }

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY(out_.isValid());
        QVERIFY(QDir(QStringLiteral(VELMORA_HOSTILE_FILES)).exists());
        lastPeak_ = PeakKiB();
    }

    void refusedBeforeAnyLargeAllocation_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("error");
        const auto add = [](const char* name, int error) {
            QTest::newRow(name) << FilePath(name) << error;
        };
        add("jpeg-65500x65500.jpg", Err::OutOfMemory);
        add("bmp-2pow30x1.bmp", Err::OutOfMemory);
        add("bmp-core-65535x65535.bmp", Err::OutOfMemory);
        add("bmp-5000x5000-in-1k.bmp", Err::InvalidPicture);
        add("bmp-height-int32-min.bmp", Err::InvalidPicture);
        add("text-file.jpg", Err::InvalidPicture);
        add("empty.jpg", Err::InvalidPicture);
        add("bmp-truncated.bmp", Err::InvalidPicture);
        add("bmp-cut-in-header.bmp", Err::InvalidPicture);
        add("jpeg-soi-only.jpg", Err::InvalidPicture);
        add("jpeg-cut-in-header.jpg", Err::InvalidPicture);
        add("jpeg-2000x2000-cut-to-1k.jpg", Err::InvalidPicture);
        add("rle8-top-down.bmp", Err::InvalidPicture);
        add("rle8-on-4-bit-pixels.bmp", Err::InvalidPicture);
        add("rle4-on-8-bit-pixels.bmp", Err::InvalidPicture);
        add("rle8-data-past-end.bmp", Err::InvalidPicture);
        add("rle8-no-palette.bmp", Err::InvalidPicture);
    }

    // The header check refuses it; so do the writer and the preview when handed it anyway,
    // as they are when the file changed after its header was read.
    void refusedBeforeAnyLargeAllocation() {
        QFETCH(QString, file);
        QFETCH(int, error);
        QVERIFY(QFile::exists(file));
        const QString bmp = out_.filePath(QStringLiteral("wallpaper.BMP"));
        const PictureInfo stale{ToUtf8(file), PictureKind::Bmp, 640, 480};
        QString message;
        QCOMPARE(Refusal([&] { platform_.LoadPicture(ToUtf8(file)); }, &message), error);
        QCOMPARE(Refusal([&] { platform_.SavePicture(stale, ToUtf8(bmp)); }), error);
        QCOMPARE(Refusal([&] { platform_.LoadPreview(stale, QSize(145, 145)); }), error);
        QVERIFY(
            QDir(out_.path())
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        const long growth = peakGrowth();
        qInfo().noquote() << QStringLiteral("refused with %1 「%2」; peak grew by %3 KiB")
                                 .arg(error)
                                 .arg(message)
                                 .arg(growth);
        QVERIFY2(growth <= (first_ ? kFirstFileGrowthKiB : kRefusalGrowthKiB),
                 qPrintable(QStringLiteral("peak grew by %1 KiB").arg(growth)));
        first_ = false;
    }

    void damagedButReadableStayBounded_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("RLE8 stream cut short")
            << FilePath("ok-rle8-stream-cut-short.bmp") << QSize(64, 64);
        QTest::newRow("RLE8 wild runs") << FilePath("ok-rle8-wild-runs.bmp") << QSize(32, 16);
        QTest::newRow("RLE8 5000x5000 in 1 KB")
            << FilePath("ok-rle8-5000x5000-in-1k.bmp") << QSize(5000, 5000);
        QTest::newRow("JPEG cut mid-scan")
            << FilePath("ok-jpeg-cut-mid-scan.jpg") << QSize(128, 128);
    }

    // Shown as far as they go; even a legitimately large picture is written in bands.
    void damagedButReadableStayBounded() {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        const PictureInfo info = platform_.LoadPicture(ToUtf8(file));
        QCOMPARE(SizeOf(info), size);
        const QString bmp = out_.filePath(QStringLiteral("wallpaper.BMP"));
        platform_.SavePicture(info, ToUtf8(bmp));
        const int64_t stride = (int64_t(size.width()) * 3 + 3) / 4 * 4;
        QCOMPARE(QFile(bmp).size(), 54 + stride * size.height());
        QCOMPARE(SizeOf(platform_.LoadPicture(ToUtf8(bmp))), size);
        const QImage preview = platform_.LoadPreview(info, QSize(145, 145));
        QVERIFY(!preview.isNull());
        QVERIFY(preview.width() == 145 || preview.height() == 145);
        QVERIFY(QFile::remove(bmp));
        qInfo().noquote() << QStringLiteral("shown at %1x%2; peak grew by %3 KiB")
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(peakGrowth());
        first_ = false;
    }

    void cleanupTestCase() {
        const long peak = PeakKiB();
        qInfo().noquote() << QStringLiteral("peak memory of the whole process: %1 KiB; "
                                            "largest address space: %2")
                                 .arg(peak)
                                 .arg(QString::fromLatin1(VirtualPeak()));
        QVERIFY2(peak < kPeakLimitKiB, qPrintable(QStringLiteral("%1 KiB").arg(peak)));
    }
};

QTEST_GUILESS_MAIN(HostilePicturesTest)
#include "HostilePicturesTest.moc"
