// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace velmora {

// The Japanese UI fonts by their classic names, falling back to the Japanese fonts a Linux
// desktop has. Point sizes are the design's, grown with the user's font (Twips.h).
QFont MsPGothic(double pointSize, bool bold);
QFont MsGothic(double pointSize, bool bold);
QFont FontWithFallbacks(const QString& family, double pointSize, bool bold);
// The windows' own font: the user's, with the design's proportional Japanese font for the
// Japanese texts that the user's font has no glyphs for.
QFont WindowFont();

} // namespace velmora
