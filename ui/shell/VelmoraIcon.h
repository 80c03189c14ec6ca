#pragma once
// Resource identifiers of the application's icon (ui/shell/VelmoraIcon.rc).

// The main icon: the first icon of the executable, shown by Explorer, the
// task bar and the tray.
#define MAINICON 1
