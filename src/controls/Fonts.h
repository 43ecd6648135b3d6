#pragma once

namespace controls {

// Maps the font names the windows are designed with ("MS Sans Serif", "Impact",
// "Times New Roman", "Arial") to fonts every Debian machine has, so every machine draws
// the same. Call once after the application object exists.
void installFontSubstitutes();

} // namespace controls
