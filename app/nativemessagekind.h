#pragma once

// Plain C++ only: the Win32 part includes this without Qt.

// The window messages the main window reacts to. Only Windows delivers
// them natively; elsewhere every message is Other and restore requests are
// carried out through Qt.
enum class NativeMessage { Other, Restore, DeviceChange };
