// The window's one font. The layout is drawn for the classic 8-point dialog
// face at 96 dpi; where the system lacks that face, one stand-in is chosen
// once for the whole run. The main window, the work list grid (its title and
// its cells) and the answer labels all draw with it, so that no control falls
// back on a look-alike of its own choosing.
#pragma once

#include <QFont>

/// The window's font, regular, 11 pixels high. Chosen at the first call,
/// which needs the application object, and the same for the rest of the run.
const QFont& WindowFont();
