#pragma once

#include "inputsource.h"
#include "x11keymap.h"

#include <memory>

class QSocketNotifier;
struct _XDisplay;

// System-wide key and button events from the X server: XInput2 raw events,
// selected on the root window through a connection of our own and read on
// the GUI thread whenever that connection has data. Keys are handed on as
// the Windows hook would report them (set-1 scan code, extended flag, Alt
// flag), buttons as Windows mouse messages with the pointer's root position.
class X11InputSource final : public InputEventSource
{
public:
    X11InputSource();
    ~X11InputSource() override;

    bool installKeyboard(InputEventSink& sink) override;
    bool installMouse(InputEventSink& sink) override;
    void removeKeyboard() override;
    void removeMouse() override;

    // Handles whatever the connection has received; the notifier calls it.
    void readEvents();

private:
    bool connectToServer();
    void disconnectFromServer();
    bool selectEvents();
    void keyEvent(unsigned keycode, bool press);
    void buttonEvent(unsigned button, bool press);

    _XDisplay* display = nullptr;
    int xiOpcode = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    InputEventSink* keyboardSink = nullptr;
    InputEventSink* mouseSink = nullptr;
    bool dispatching = false;
    X11KeyForwarder keys;
};
