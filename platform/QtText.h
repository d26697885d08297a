// SPDX-License-Identifier: MIT
#pragma once

// Text between the Qt windows (QString) and the core (UTF-8 in std::string).

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

inline std::vector<std::string> ToUtf8(const QStringList& texts) {
    std::vector<std::string> out;
    out.reserve(std::size_t(texts.size()));
    for (const QString& text : texts)
        out.push_back(ToUtf8(text));
    return out;
}

inline QStringList FromUtf8(const std::vector<std::string>& texts) {
    QStringList out;
    out.reserve(qsizetype(texts.size()));
    for (const std::string& text : texts)
        out.append(FromUtf8(text));
    return out;
}

} // namespace velmora
