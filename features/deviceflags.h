#pragma once

// What the bridge knows of the mouse model, copied from the global file when
// it was built. The feature operations choose commands and encodings by it.
struct DeviceFlags
{
    bool family560 = false;   // "mouse/icType" is "560"; any other text: the 553 family
    bool isGun = false;
    bool isColorful = false;
    bool is55328 = false;
};
