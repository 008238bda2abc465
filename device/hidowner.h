#pragma once

// What Hid_Thread needs from the object that owns it (the main window).
// An interface rather than the window class itself, so the transport and the
// command families can be driven on their own in tests.
class HidOwner
{
public:
    virtual ~HidOwner() = default;

    // The bridge's copy of "mouse/isGun": gun devices keep one profile slot.
    virtual bool isGunDevice() const = 0;
};
