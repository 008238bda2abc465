#pragma once

class Hid_Thread;

// The active DPI stage, counted from 1, on either controller family.
namespace dpi {

void setCurrentStage(Hid_Thread& hid, bool family560, int stage);
// The stage the device reports; 0 when the exchange fails.
int currentStage(Hid_Thread& hid, bool family560);

} // namespace dpi
