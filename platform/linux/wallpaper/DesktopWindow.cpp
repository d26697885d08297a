// SPDX-License-Identifier: MIT
#include "DesktopWindow.h"

#include <QSet>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velmora::linux_impl {

namespace {

// Windows may vanish while they are looked at: their errors are expected, and Xlib's own
// handler would end the program.
class IgnoreErrors {
  public:
    IgnoreErrors() : previous_(XSetErrorHandler(&IgnoreErrors::Ignore)) {}
    ~IgnoreErrors() { XSetErrorHandler(previous_); }
    IgnoreErrors(const IgnoreErrors&) = delete;
    IgnoreErrors& operator=(const IgnoreErrors&) = delete;

  private:
    static int Ignore(Display*, XErrorEvent*) { return 0; }
    XErrorHandler previous_;
};

class Connection {
  public:
    explicit Connection(const QString& name) {
        const QByteArray encoded = name.toLocal8Bit();
        display_ = XOpenDisplay(name.isEmpty() ? nullptr : encoded.constData());
    }
    ~Connection() {
        if (display_) {
            XSync(display_, False);
            XCloseDisplay(display_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Display* get() const { return display_; }

  private:
    Display* display_ = nullptr;
};

// The 32-bit items of a window property of the given type.
QList<unsigned long> Items(Display* display, Window window, Atom property, Atom type) {
    QList<unsigned long> result;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        actualType == type && format == 32) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        result = QList<unsigned long>(items, items + count);
    }
    if (data)
        XFree(data);
    return result;
}

// Managed windows first (a window manager may have reparented them into frames), then
// the root's children and their children, for sessions without one.
QList<Window> Candidates(Display* display, Window root) {
    QList<Window> result;
    QSet<Window> seen;
    const auto add = [&](Window window) {
        if (!seen.contains(window)) {
            seen.insert(window);
            result.append(window);
        }
    };
    for (const unsigned long window :
         Items(display, root, XInternAtom(display, "_NET_CLIENT_LIST", False), XA_WINDOW))
        add(Window(window));
    const auto children = [display](Window parent) {
        QList<Window> list;
        Window rootReturn = None, parentReturn = None;
        Window* items = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, parent, &rootReturn, &parentReturn, &items, &count) && items) {
            list = QList<Window>(items, items + count);
            XFree(items);
        }
        return list;
    };
    for (const Window top : children(root)) {
        add(top);
        for (const Window inner : children(top))
            add(inner);
    }
    return result;
}

} // namespace

std::optional<DesktopKind> DesktopOfWindowClass(const WindowClass& windowClass) {
    static const struct {
        const char* name;
        DesktopKind kind;
    } kKnown[] = {
        {"xfdesktop", DesktopKind::Xfce},
        {"nautilus", DesktopKind::Gnome},
        {"nautilus-desktop", DesktopKind::Gnome},
        {"desktop-icons", DesktopKind::Gnome},
        {"ding", DesktopKind::Gnome},
        {"com.rastersoft.ding", DesktopKind::Gnome},
        {"nemo", DesktopKind::Cinnamon},
        {"nemo-desktop", DesktopKind::Cinnamon},
        {"caja", DesktopKind::Mate},
        {"pcmanfm", DesktopKind::Lxde},
        {"pcmanfm-qt", DesktopKind::Lxqt},
    };
    // Some name their instance after the role ("desktop_window") and only the class after
    // the program, so both are looked at.
    for (const QString& name : {windowClass.instance, windowClass.windowClass}) {
        const QString lower = name.toLower();
        for (const auto& known : kKnown) {
            if (lower == QLatin1String(known.name))
                return known.kind;
        }
    }
    return std::nullopt;
}

namespace {

// nullopt when no X server can be reached.
std::optional<QList<WindowClass>> ClassesOn(const QString& displayName) {
    if (displayName.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY"))
        return std::nullopt;
    const Connection connection(displayName);
    Display* display = connection.get();
    if (!display)
        return std::nullopt;
    QList<WindowClass> result;
    const IgnoreErrors ignore;
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    for (const Window window : Candidates(display, DefaultRootWindow(display))) {
        if (!Items(display, window, type, XA_ATOM).contains(desktop))
            continue;
        XClassHint hint{};
        if (!XGetClassHint(display, window, &hint))
            continue;
        result.append(
            {QString::fromLocal8Bit(hint.res_name), QString::fromLocal8Bit(hint.res_class)});
        if (hint.res_name)
            XFree(hint.res_name);
        if (hint.res_class)
            XFree(hint.res_class);
    }
    return result;
}

} // namespace

QList<WindowClass> DesktopWindowClasses(const QString& displayName) {
    return ClassesOn(displayName).value_or(QList<WindowClass>());
}

std::optional<bool> HasDesktopWindowOf(const QString& program, const QString& displayName) {
    const std::optional<QList<WindowClass>> classes = ClassesOn(displayName);
    if (!classes)
        return std::nullopt;
    for (const WindowClass& found : *classes) {
        if (found.instance.compare(program, Qt::CaseInsensitive) == 0 ||
            found.windowClass.compare(program, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int WorkspaceCount(const QString& displayName) {
    if (displayName.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY"))
        return 1;
    const Connection connection(displayName);
    Display* display = connection.get();
    if (!display)
        return 1;
    const QList<unsigned long> count =
        Items(display, DefaultRootWindow(display),
              XInternAtom(display, "_NET_NUMBER_OF_DESKTOPS", False), XA_CARDINAL);
    // More than a window manager would ever offer means a broken property.
    if (count.size() != 1 || count.front() < 1 || count.front() > 64)
        return 1;
    return int(count.front());
}

std::optional<DesktopKind> DesktopOfDesktopWindow() {
    for (const WindowClass& found : DesktopWindowClasses()) {
        if (const std::optional<DesktopKind> kind = DesktopOfWindowClass(found))
            return kind;
    }
    return std::nullopt;
}

} // namespace velmora::linux_impl
