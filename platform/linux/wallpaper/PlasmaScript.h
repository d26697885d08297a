// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora::linux_impl {

// text as a JavaScript string literal in double quotes. Everything outside printable ASCII
// is written as \uXXXX, so the script is plain ASCII whatever the name holds.
QString JsStringLiteral(const QString& text);

// A plasmashell script that shows a picture on every desktop (each screen, each activity).
// A desktop already showing uri is given alternateUri instead, because Plasma redraws only
// when the name changes; pass the same URI twice to name one file whatever is shown.
QString PlasmaPictureScript(const QString& uri, const QString& alternateUri);

// A plasmashell script that shows plain black on every desktop.
QString PlasmaBlackScript();

} // namespace velmora::linux_impl
