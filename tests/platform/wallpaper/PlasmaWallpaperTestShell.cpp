// SPDX-License-Identifier: MIT
// A stand-in for plasmashell on the test's private session bus. It owns org.kde.plasmashell,
// runs each script it is sent in a real JavaScript engine (QJSEngine, the engine of Plasma's
// own desktop scripting) against desktops that keep their settings between calls, and writes
// every call and the desktops' settings to a record file before it answers.
//   --record FILE   where the record goes (JSON)
//   --desktops N    desktops (= screens), 2 unless told
//   --native        also offer Plasma 6's wallpaper(u) and setWallpaper(s, a{sv}, u)
//   --locked        refuse scripts the way a locked Plasma does
//   --image URI     the picture every desktop shows at the start
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QJSEngine>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cstdio>

namespace {

// Plasma's scripting objects as far as wallpapers go: desktops(), and on each desktop
// wallpaperPlugin, currentConfigGroup, readConfig and writeConfig. Settings are stored as
// text, the way Plasma's configuration files keep them.
const char* kPrelude = R"JS(
var __state = { desktops: [] };
function __Desktop(state) { this.__s = state; this.__group = []; }
Object.defineProperty(__Desktop.prototype, "wallpaperPlugin", {
    get: function () { return this.__s.plugin; },
    set: function (v) { this.__s.plugin = String(v); }
});
Object.defineProperty(__Desktop.prototype, "currentConfigGroup", {
    get: function () { return this.__group.slice(); },
    set: function (v) {
        if (!Array.isArray(v)) throw new TypeError("currentConfigGroup takes an array");
        this.__group = v.map(String);
    }
});
__Desktop.prototype.readConfig = function (key, fallback) {
    var group = this.__s.config[this.__group.join("/")] || {};
    return key in group ? group[key] : fallback;
};
__Desktop.prototype.writeConfig = function (key, value) {
    if (arguments.length != 2) throw new TypeError("writeConfig takes a key and a value");
    var name = this.__group.join("/");
    if (!this.__s.config[name]) this.__s.config[name] = {};
    this.__s.config[name][String(key)] = String(value);
};
function desktops() {
    return __state.desktops.map(function (s) { return new __Desktop(s); });
}
function __setWallpaper(screen, plugin, parameters) {
    var s = __state.desktops[screen];
    if (!s) return;
    s.plugin = plugin;
    var name = "Wallpaper/" + plugin + "/General";
    if (!s.config[name]) s.config[name] = {};
    for (var key in parameters) s.config[name][key] = String(parameters[key]);
}
function __wallpaper(screen) {
    var s = __state.desktops[screen];
    if (!s) return {};
    var result = { wallpaperPlugin: s.plugin };
    var group = s.config["Wallpaper/" + s.plugin + "/General"] || {};
    for (var key in group) result[key] = group[key];
    return result;
}
)JS";

class ShellCore {
  public:
    ShellCore(const QString& record, int desktops, const QString& image) : record_(record) {
        engine_.evaluate(QString::fromUtf8(kPrelude));
        QJSValue list = engine_.evaluate(QStringLiteral("__state.desktops"));
        for (int i = 0; i < desktops; ++i) {
            QJSValue desktop = engine_.newObject();
            QJSValue config = engine_.newObject();
            QJSValue group = engine_.newObject();
            desktop.setProperty(QStringLiteral("plugin"), QStringLiteral("org.kde.image"));
            if (!image.isEmpty()) {
                group.setProperty(QStringLiteral("Image"), image);
                config.setProperty(QStringLiteral("Wallpaper/org.kde.image/General"), group);
            }
            desktop.setProperty(QStringLiteral("config"), config);
            list.setProperty(i, desktop);
        }
        Write();
    }

    // Runs a script; returns the error text, empty when it ran.
    QString Evaluate(const QString& script, bool locked) {
        QJsonObject call{{QStringLiteral("method"), QStringLiteral("evaluateScript")},
                         {QStringLiteral("script"), script}};
        QString error;
        if (locked) {
            error = QStringLiteral("Widgets are locked");
        } else {
            const QJSValue result = engine_.evaluate(script, QStringLiteral("script.js"));
            if (result.isError())
                error = result.property(QStringLiteral("name")).toString() + QStringLiteral(": ") +
                        result.toString() + QStringLiteral(" at line ") +
                        result.property(QStringLiteral("lineNumber")).toString();
        }
        if (!error.isEmpty())
            call.insert(QStringLiteral("error"), error);
        calls_.append(call);
        Write();
        return error;
    }

    QVariantMap Wallpaper(uint screen) {
        const QJSValue shown =
            engine_.globalObject().property(QStringLiteral("__wallpaper")).call({int(screen)});
        calls_.append(QJsonObject{{QStringLiteral("method"), QStringLiteral("wallpaper")},
                                  {QStringLiteral("screen"), int(screen)}});
        Write();
        return shown.toVariant().toMap();
    }

    void SetWallpaper(const QString& plugin, const QVariantMap& parameters, uint screen) {
        QJsonObject recorded;
        QJSValue values = engine_.newObject();
        for (auto it = parameters.begin(); it != parameters.end(); ++it) {
            QVariant value = it.value();
            QString type = QString::fromLatin1(value.typeName());
            if (value.userType() == qMetaTypeId<QDBusArgument>()) {
                // Plasma reads a colour as a structure holding one ARGB number.
                const QDBusArgument argument = value.value<QDBusArgument>();
                type = argument.currentSignature();
                uint argb = 0;
                argument.beginStructure();
                argument >> argb;
                argument.endStructure();
                value = QStringLiteral("%1,%2,%3")
                            .arg((argb >> 16) & 0xff)
                            .arg((argb >> 8) & 0xff)
                            .arg(argb & 0xff);
            }
            recorded.insert(it.key(),
                            QJsonObject{{QStringLiteral("type"), type},
                                        {QStringLiteral("value"), QJsonValue::fromVariant(value)}});
            values.setProperty(it.key(), engine_.toScriptValue(value));
        }
        engine_.globalObject()
            .property(QStringLiteral("__setWallpaper"))
            .call({int(screen), plugin, values});
        calls_.append(QJsonObject{{QStringLiteral("method"), QStringLiteral("setWallpaper")},
                                  {QStringLiteral("plugin"), plugin},
                                  {QStringLiteral("parameters"), recorded},
                                  {QStringLiteral("screen"), int(screen)}});
        Write();
    }

  private:
    void Write() {
        const QJsonDocument desktops = QJsonDocument::fromJson(
            engine_.evaluate(QStringLiteral("JSON.stringify(__state.desktops)"))
                .toString()
                .toUtf8());
        QSaveFile file(record_);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("calls"), calls_},
                                             {QStringLiteral("desktops"), desktops.array()}})
                       .toJson());
        file.commit();
    }

    QString record_;
    QJSEngine engine_;
    QJsonArray calls_;
};

// Plasma 5: scripting only.
class Shell5 : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
  public:
    Shell5(ShellCore& core, bool locked) : core_(core), locked_(locked) {}
  public Q_SLOTS:
    Q_SCRIPTABLE QString evaluateScript(const QString& script) {
        const QString error = core_.Evaluate(script, locked_);
        if (!error.isEmpty())
            sendErrorReply(QDBusError::Failed, error);
        return {};
    }

  private:
    ShellCore& core_;
    bool locked_;
};

// Plasma 6: scripting and the shell's own wallpaper calls.
class Shell6 : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
  public:
    Shell6(ShellCore& core, bool locked) : core_(core), locked_(locked) {}
  public Q_SLOTS:
    Q_SCRIPTABLE QString evaluateScript(const QString& script) {
        const QString error = core_.Evaluate(script, locked_);
        if (!error.isEmpty())
            sendErrorReply(QDBusError::Failed, error);
        return {};
    }
    Q_SCRIPTABLE QVariantMap wallpaper(uint screenNum) { return core_.Wallpaper(screenNum); }
    Q_SCRIPTABLE void setWallpaper(const QString& wallpaperPlugin, const QVariantMap& parameters,
                                   uint screenNum) {
        core_.SetWallpaper(wallpaperPlugin, parameters, screenNum);
    }

  private:
    ShellCore& core_;
    bool locked_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QString record, image;
    int desktops = 2;
    bool native = false, locked = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--record") && i + 1 < arguments.size())
            record = arguments[++i];
        else if (a == QLatin1String("--desktops") && i + 1 < arguments.size())
            desktops = arguments[++i].toInt();
        else if (a == QLatin1String("--image") && i + 1 < arguments.size())
            image = arguments[++i];
        else if (a == QLatin1String("--native"))
            native = true;
        else if (a == QLatin1String("--locked"))
            locked = true;
    }
    if (record.isEmpty()) {
        std::fprintf(stderr, "--record FILE is needed\n");
        return 2;
    }
    ShellCore core(record, desktops, image);
    Shell5 shell5(core, locked);
    Shell6 shell6(core, locked);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QObject* shell = native ? static_cast<QObject*>(&shell6) : &shell5;
    if (!bus.registerObject(QStringLiteral("/PlasmaShell"), shell,
                            QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService(QStringLiteral("org.kde.plasmashell"))) {
        std::fprintf(stderr, "cannot own org.kde.plasmashell: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "PlasmaWallpaperTestShell.moc"
