// The window font: the design face with a Japanese Gothic fallback.
#pragma once

#include <QFont>

namespace pbx::app {

// A font of the design face at the given height in pixels. Pixel sizes are
// device-independent in Qt, so the font scales with the screen like the
// rest of the layout.
QFont DesignFont(int pixel_height);

}  // namespace pbx::app
