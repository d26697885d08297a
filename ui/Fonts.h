#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace velmora {

// The Japanese UI fonts by their classic names, falling back to the Japanese fonts a Linux
// desktop has.
QFont MsPGothic(double pointSize, bool bold);
QFont MsGothic(double pointSize, bool bold);
QFont FontWithFallbacks(const QString& family, double pointSize, bool bold);

} // namespace velmora
