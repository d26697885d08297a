// SPDX-License-Identifier: MIT
#include "Application.h"

#include "Platform.h"
#include "PlatformError.h"
#include "QtText.h"
#include "mdlKabegami.h"

#include <cstdio>
#include <new>

namespace velmora {

namespace {
const QString kUnexpected = QStringLiteral("予期しないエラーが発生したため、操作を中止しました。");
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportUnhandledException(std::current_exception(), module_);
        return false;
    }
}

void ReportUnhandledException(std::exception_ptr exception, const mdlKabegami* module) noexcept {
    int number = 0;
    QString text = kUnexpected;
    try {
        std::rethrow_exception(exception);
    } catch (const PlatformError& error) {
        number = error.Number;
        text = FromUtf8(error.Description);
    } catch (const std::bad_alloc&) {
        number = Err::OutOfMemory;
        text = FromUtf8(ErrorDescription(number));
    } catch (...) {
    }
    try {
        if (module) {
            if (number != 0)
                module->ShowErrorMessage(number, ToUtf8(text));
            else
                module->messages().MsgBox(ToUtf8(text), MsgBoxStyle::Critical, "エラー");
            return;
        }
    } catch (...) {
        // The report itself failed (no memory for the box): standard error is all that is left.
    }
    const QByteArray line =
        (number != 0 ? QByteArray::number(number) + ':' : QByteArray()) + text.toUtf8();
    std::fprintf(stderr, "velmora: %s\n", line.constData());
}

} // namespace velmora
