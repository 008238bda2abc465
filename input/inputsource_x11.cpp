#include "inputsource_x11.h"

#include "x11keymap.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace {

// Protocol errors on our own connection must not end the program (Xlib's
// default handler exits), so the few requests that may fail run under this.
bool requestFailed = false;
int recordError(Display*, XErrorEvent*)
{
    requestFailed = true;
    return 0;
}

class ErrorTrap
{
public:
    explicit ErrorTrap(Display* display)
        : display(display)
    {
        XSync(display, False);
        requestFailed = false;
        previous = XSetErrorHandler(&recordError);
    }
    ~ErrorTrap() { XSetErrorHandler(previous); }
    // Waits for the server's answer to everything sent so far.
    bool failed()
    {
        XSync(display, False);
        return requestFailed;
    }

private:
    Display* display;
    int (*previous)(Display*, XErrorEvent*) = nullptr;
};

} // namespace

std::unique_ptr<InputEventSource> createPlatformInputSource()
{
    return std::make_unique<X11InputSource>();
}

X11InputSource::X11InputSource() = default;

X11InputSource::~X11InputSource()
{
    keyboardSink = nullptr;
    mouseSink = nullptr;
    disconnectFromServer();
}

bool X11InputSource::installKeyboard(InputEventSink& sink)
{
    InputEventSink* before = keyboardSink;
    keyboardSink = &sink;
    if (connectToServer() && selectEvents())
        return true;
    keyboardSink = before;
    if (!keyboardSink && !mouseSink)
        disconnectFromServer();
    return false;
}

bool X11InputSource::installMouse(InputEventSink& sink)
{
    InputEventSink* before = mouseSink;
    mouseSink = &sink;
    if (connectToServer() && selectEvents())
        return true;
    mouseSink = before;
    if (!keyboardSink && !mouseSink)
        disconnectFromServer();
    return false;
}

void X11InputSource::removeKeyboard()
{
    keyboardSink = nullptr;
    if (!mouseSink)
        disconnectFromServer();
    else
        selectEvents();
}

void X11InputSource::removeMouse()
{
    mouseSink = nullptr;
    if (!keyboardSink)
        disconnectFromServer();
    else
        selectEvents();
}

bool X11InputSource::connectToServer()
{
    if (display)
        return true;
    // No X server (a console, a Wayland session without X): no capture.
    display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int event = 0, error = 0;
    bool usable = XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error);
    if (usable) {
        // 2.1 and later deliver raw events even while another client grabs.
        int major = 2, minor = 2;
        ErrorTrap trap(display);
        usable = XIQueryVersion(display, &major, &minor) == Success && !trap.failed();
    }
    if (!usable) {
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }
    notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { readEvents(); });
    return true;
}

void X11InputSource::disconnectFromServer()
{
    if (notifier) {
        // Off the dispatcher before the descriptor closes.
        notifier->setEnabled(false);
        if (dispatching)
            notifier.release()->deleteLater();   // we are inside its signal
        else
            notifier.reset();
    }
    if (display) {
        XCloseDisplay(display);
        display = nullptr;
    }
    keys.reset();
}

bool X11InputSource::selectEvents()
{
    if (!display)
        return false;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (keyboardSink) {
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
    }
    if (mouseSink) {
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
    }
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    ErrorTrap trap(display);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    const bool failed = trap.failed();
    // Waiting for the answer may have moved events from the socket into
    // Xlib's queue, where the notifier would not see them until more came.
    if (XEventsQueued(display, QueuedAlready) > 0)
        QMetaObject::invokeMethod(notifier.get(), [this] { readEvents(); }, Qt::QueuedConnection);
    return !failed;
}

void X11InputSource::readEvents()
{
    dispatching = true;
    // Xlib may already hold events read during an earlier request, so drain
    // its queue rather than trusting the descriptor alone.
    while (display && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode)
            continue;
        if (!XGetEventData(display, cookie))
            continue;
        const int type = cookie->evtype;
        const unsigned detail = unsigned(static_cast<const XIRawEvent*>(cookie->data)->detail);
        XFreeEventData(display, cookie);
        // A sink may remove the hooks and with them this connection.
        switch (type) {
        case XI_RawKeyPress: keyEvent(detail, true); break;
        case XI_RawKeyRelease: keyEvent(detail, false); break;
        case XI_RawButtonPress: buttonEvent(detail, true); break;
        case XI_RawButtonRelease: buttonEvent(detail, false); break;
        default: break;
        }
    }
    dispatching = false;
}

void X11InputSource::keyEvent(unsigned keycode, bool press)
{
    keys.key(keycode, press, keyboardSink);
}

void X11InputSource::buttonEvent(unsigned button, bool press)
{
    if (!mouseSink)
        return;
    const std::uint32_t message = mouseMessageForX11Button(button, press);
    if (message == 0)
        return;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned modifiers = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                  &modifiers);
    mouseSink->handleMouseEvent(message, rootX, rootY);
}
