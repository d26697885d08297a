// SPDX-License-Identifier: MIT
// An exception that leaves an event handler is reported by the program's event loop, which
// then goes on with the next event.
#include "Application.h"
#include "FakePlatform.h"
#include "PlatformError.h"
#include "QtEntries.h"
#include "mdlKabegami.h"

#include <QPushButton>
#include <QTest>

#include <new>
#include <stdexcept>

using namespace velmora;
using velmora::test::Described;
using velmora::test::FakePlatform;

class ApplicationTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void escapedExceptionIsReportedAndTheProgramGoesOn_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("platform error") << 0 << QStringLiteral("70:") + Described(70);
        QTest::newRow("out of memory") << 1 << QStringLiteral("7:") + Described(7);
        QTest::newRow("unknown") << 2
                                 << QStringLiteral("予期しないエラーが発生したため、"
                                                   "操作を中止しました。");
    }

    void escapedExceptionIsReportedAndTheProgramGoesOn() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        FakePlatform platform;
        mdlKabegami module(platform);
        static_cast<Application*>(qApp)->SetModule(&module);
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] {
            if (++clicks > 1)
                return;
            if (kind == 0)
                throw PlatformError(Err::PermissionDenied);
            if (kind == 1)
                throw std::bad_alloc();
            throw std::runtime_error("no description");
        });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(platform.msgBoxes.size(), 1);
        QCOMPARE(platform.msgBoxes[0].text, text);
        QCOMPARE(platform.msgBoxes[0].title, QStringLiteral("エラー"));
        QCOMPARE(platform.msgBoxes[0].style, 16);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        static_cast<Application*>(qApp)->SetModule(nullptr);
    }
};

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ApplicationTest.moc"
