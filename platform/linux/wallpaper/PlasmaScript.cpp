// SPDX-License-Identifier: MIT
#include "PlasmaScript.h"

namespace velmora::linux_impl {

QString JsStringLiteral(const QString& text) {
    QString result;
    result.reserve(text.size() + 2);
    result += u'"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            result += u'\\';
            result += c;
        } else if (u >= 0x20 && u < 0x7f) {
            result += c;
        } else {
            result += QStringLiteral("\\u%1").arg(static_cast<uint>(u), 4, 16, QLatin1Char('0'));
        }
    }
    result += u'"';
    return result;
}

QString PlasmaPictureScript(const QString& uri, const QString& alternateUri) {
    // The stored value may be written with or without "file://" and percent escapes:
    // compare the files the two name.
    return QStringLiteral(
               "(function () {\n"
               "    var picture = %1;\n"
               "    var alternate = %2;\n"
               "    function fileOf(value) {\n"
               "        var text = String(value);\n"
               "        try { text = decodeURIComponent(text); } catch (e) {}\n"
               "        return text.replace(/^file:\\/\\//, \"\");\n"
               "    }\n"
               "    var all = desktops();\n"
               "    for (var i = 0; i < all.length; ++i) {\n"
               "        var desktop = all[i];\n"
               "        var showing = desktop.wallpaperPlugin == \"org.kde.image\";\n"
               "        desktop.wallpaperPlugin = \"org.kde.image\";\n"
               "        desktop.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
               "\"General\"];\n"
               "        var current = showing ? fileOf(desktop.readConfig(\"Image\", \"\")) : "
               "\"\";\n"
               "        desktop.writeConfig(\"Image\", current == fileOf(picture) ? alternate : "
               "picture);\n"
               "        desktop.writeConfig(\"FillMode\", 2);\n"
               "    }\n"
               "})();\n")
        .arg(JsStringLiteral(uri), JsStringLiteral(alternateUri));
}

QString PlasmaBlackScript() {
    return QStringLiteral("(function () {\n"
                          "    var all = desktops();\n"
                          "    for (var i = 0; i < all.length; ++i) {\n"
                          "        var desktop = all[i];\n"
                          "        desktop.wallpaperPlugin = \"org.kde.color\";\n"
                          "        desktop.currentConfigGroup = [\"Wallpaper\", "
                          "\"org.kde.color\", \"General\"];\n"
                          "        desktop.writeConfig(\"Color\", \"0,0,0\");\n"
                          "    }\n"
                          "})();\n");
}

} // namespace velmora::linux_impl
