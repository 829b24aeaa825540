#pragma once
// The icons of the alert styles and the application's icon. An image file of the same name in the bundle's
// images (":/images/<name>.png") wins; otherwise the icon is drawn in code, so it is sharp at any size.

#include <QString>

#include "platform/graphics/image.h"

// "AlertCautionIcon", "AlertNoteIcon" or "AlertStopIcon"; any other name gives the note icon.
platform::Image alertIconNamed(const QString& name);
// The style's icon name: 0 warning -> caution, 1 information -> note, 2 error -> stop, others -> note.
QString alertIconNameForStyle(unsigned long long style);
// The application's window icon when one is set, else the drawn aperture.
platform::Image applicationIconImage();
