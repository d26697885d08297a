// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

#include <exception>

namespace velmora {

class mdlKabegami;

// The program's event loop. An exception that leaves an event handler is reported to the
// user here, as a last resort, and the program goes on with its next event.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);

    // Where reports go; without a module they go to standard error only.
    void SetModule(const mdlKabegami* module) { module_ = module; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    const mdlKabegami* module_ = nullptr;
};

// Shows what the exception was: a platform error with its number and description, lack of
// memory as 7, anything else as an unexpected error. Never throws.
void ReportUnhandledException(std::exception_ptr exception, const mdlKabegami* module) noexcept;

} // namespace velmora
