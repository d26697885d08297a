// SPDX-License-Identifier: MIT
// Every text of the three windows is shown whole at the user's font sizes; the screen's scale
// comes from QT_SCALE_FACTOR, one run of this program per scale (tests/app/CMakeLists.txt).
#include "FakePlatform.h"
#include "FrmVer.h"
#include "frmChangeKabegami.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// Whether one line of text, laid in a box of height room the way the control lays it (at the
// top, or centred), starts inside the box and has none of its ink below it.
bool InkFits(const QFontMetrics& metrics, const QString& text, int room, bool atTop) {
    const int lineTop = atTop ? 0 : (room - metrics.height()) / 2;
    const int baseline = lineTop + metrics.ascent();
    return lineTop >= 0 && baseline + metrics.tightBoundingRect(text).bottom() < room;
}

// Where the text of a control does not fit, a line telling how; empty when it fits.
QString Misfit(const QWidget* control, const QString& text) {
    const QFontMetrics metrics(control->font());
    const int width = metrics.horizontalAdvance(text);
    QRect room;
    int margin = 0;
    bool atTop = false;
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        room = label->contentsRect().marginsRemoved(
            QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
        atTop = (label->alignment() & Qt::AlignTop) != 0;
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        if (const auto* push = qobject_cast<const QPushButton*>(button);
            push != nullptr && (push->autoDefault() || push->isDefault()))
            option.features |= QStyleOptionButton::AutoDefaultButton;
        const bool check = qobject_cast<const QCheckBox*>(button) != nullptr;
        room = button->style()->subElementRect(
            check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
        if (!check)
            margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    } else {
        return {};
    }
    if (width + margin <= room.width() && InkFits(metrics, text, room.height(), atTop))
        return {};
    return QStringLiteral("%1 \"%2\": needs %3+%4 wide, line %5, has %6 x %7 (%8)")
        .arg(control->objectName(), text)
        .arg(width)
        .arg(margin)
        .arg(metrics.height())
        .arg(room.width())
        .arg(room.height())
        .arg(control->font().toString());
}

// Every visible text of window, and the messages that some controls show only at times.
QStringList Misfits(QWidget& window) {
    static const QMap<QString, QStringList> laterTexts{
        {QStringLiteral("lblErrMessage"),
         {QStringLiteral("ディスクをセットしてください"),
          QStringLiteral("正しいディスクをセットしてください")}}};
    QStringList misfits;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control->window() != &window || !control->isVisibleTo(&window))
            continue;
        QStringList texts = laterTexts.value(control->objectName());
        if (const auto* label = qobject_cast<const QLabel*>(control))
            texts << label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            texts << button->text();
        for (const QString& text : texts) {
            const QString misfit = text.isEmpty() ? QString() : Misfit(control, text);
            if (!misfit.isEmpty())
                misfits << window.objectName() + QLatin1Char('/') + misfit;
        }
    }
    return misfits;
}

// Where a list box does not show the bottom or right line of its frame, a line telling so. The
// window is drawn at the screen's own pixels; the lines are sought where the list ends.
QString LostFrameLine(QWidget& window, const QWidget* list) {
    const QImage shot = window.grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    const QRect device(
        QRectF(QRectF(list->geometry()).topLeft() * ratio, QSizeF(list->size()) * ratio)
            .toAlignedRect());
    const QColor line = shot.pixelColor(device.center().x(), device.top());
    const auto found = [&](QPoint a, QPoint b) {
        return shot.pixelColor(a) == line || shot.pixelColor(b) == line;
    };
    const int x = device.center().x(), y = device.center().y();
    QStringList lost;
    if (!found({x, device.bottom()}, {x, device.bottom() - 1}))
        lost << QStringLiteral("bottom");
    if (!found({device.right(), y}, {device.right() - 1, y}))
        lost << QStringLiteral("right");
    return lost.isEmpty() ? QString()
                          : QStringLiteral("%1: no %2 frame line at scale %3")
                                .arg(list->objectName(), lost.join(QLatin1Char('+')))
                                .arg(ratio);
}

} // namespace

class TextFitTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void everyTextFitsItsControl_data() {
        QTest::addColumn<double>("points");
        for (double points : {9.0, 10.0, 11.0, 12.0})
            QTest::addRow("%g pt", points) << points;
    }

    void everyTextFitsItsControl() {
        QFETCH(double, points);
        const QFont before = QApplication::font();
        QFont font = before;
        font.setPointSizeF(points);
        QApplication::setFont(font);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        test::FakePlatform platform(dir.path());
        mdlKabegami module(platform);
        module.AppPath = module.GetAppPath();
        frmChangeKabegami changer(module, platform);
        changer.show();
        frmKabegamiTouroku registration(module, platform, &changer);
        registration.show();
        FrmVer about(platform, &registration);
        about.show();

        QStringList misfits;
        for (QWidget* window :
             {static_cast<QWidget*>(&changer), static_cast<QWidget*>(&registration),
              static_cast<QWidget*>(&about)})
            misfits << Misfits(*window);
        for (const char* name : {"Dir1", "File1", "lstTourokuFileList"}) {
            const QString lost =
                LostFrameLine(registration, registration.findChild<QWidget*>(QLatin1String(name)));
            if (!lost.isEmpty())
                misfits << lost;
        }
        QApplication::setFont(before);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TextFitTest)
#include "TextFitTest.moc"
