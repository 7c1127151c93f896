// Makes the widgets this program paints itself readable by screen readers and
// other assistive technology: the work list grid and the progress gauge.
// Qt's own widgets (buttons, labels, the edit box, the status bar, the message
// boxes and dialogs) need nothing from here.
#pragma once

/// Registers the interfaces with Qt. Call once, after the application object
/// exists and before the window is created; calling it again does nothing.
void InstallAccessibleFactories();
