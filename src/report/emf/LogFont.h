#pragma once

#include <QString>

namespace report::emf {

// A logical font as the picture records it: the height is in page units, negative for the
// character (em) height as a screen font of a given point size has it.
struct LogFont {
    int height = -13;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face = QStringLiteral("Arial");

    bool operator==(const LogFont &) const = default;
};

} // namespace report::emf
