// The one door through which the grid's and the gauge's interfaces tell
// assistive technology about changes. Every event goes on to Qt, which hands
// it to the platform's bridge (AT-SPI on Linux) when a client listens; an
// observer, when set, sees each event first. Tests set one because Qt drops
// events on platforms without a bridge, such as the offscreen one.
#pragma once

#include <QAccessible>
#include <functional>

using AccessibleEventObserver = std::function<void(QAccessibleEvent& event)>;

void PostAccessibleEvent(QAccessibleEvent& event);

/// Replaces the observer; an empty function removes it.
void SetAccessibleEventObserver(AccessibleEventObserver observer);
