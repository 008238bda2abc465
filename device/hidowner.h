#pragma once

#include <QString>

// What Hid_Thread needs from the object that owns it (the main window).
// An interface rather than the window class itself, so the transport and the
// command families can be driven on their own in tests.
class HidOwner
{
public:
    virtual ~HidOwner() = default;

    // The bridge's copy of "mouse/isGun": gun devices keep one profile slot.
    virtual bool isGunDevice() const = 0;
    // The bridge's copy of "mouse/icType": "560" or another family.
    virtual QString chipFamily() const = 0;

    // Effects of the event reader. They run on the GUI thread, queued by the
    // reader in the order it saw the events.
    virtual void stageReported(int stage) = 0;   // the mouse's DPI button switched the stage
    virtual void deviceLost() = 0;               // the event interface cannot be opened any more
};
