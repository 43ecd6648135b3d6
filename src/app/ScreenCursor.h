#pragma once

#include <Qt>

namespace app {

// The screen cursor as one setting, not a stack: setting the hourglass twice and the
// default once shows the default again. A long operation sets the hourglass and resets it
// at its end; an error that skips the reset leaves the hourglass until a later command
// resets it.
void setScreenCursor(Qt::CursorShape shape);

} // namespace app
