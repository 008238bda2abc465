#include "windowinputsource.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace {

// The X button number of a Qt button, so that buttons take the X11
// source's table; 0 for a button that source never reports either.
unsigned x11Button(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::MiddleButton: return 2;
    case Qt::RightButton: return 3;
    case Qt::BackButton: return 8;
    case Qt::ForwardButton: return 9;
    default: return 0;
    }
}

} // namespace

WindowInputSource::WindowInputSource(QWidget* window, std::unique_ptr<InputEventSource> desktop)
    : window(window)
    , desktop(std::move(desktop))
{
}

WindowInputSource::~WindowInputSource()
{
    removeKeyboard();
    removeMouse();
}

bool WindowInputSource::installKeyboard(InputEventSink& sink)
{
    keyboardSink = &sink;
    if (desktop && !desktopKeyboard)
        desktopKeyboard = desktop->installKeyboard(gate);
    watchApplication();
    return window || desktopKeyboard;
}

bool WindowInputSource::installMouse(InputEventSink& sink)
{
    mouseSink = &sink;
    if (desktop && !desktopMouse)
        desktopMouse = desktop->installMouse(gate);
    watchApplication();
    return window || desktopMouse;
}

void WindowInputSource::removeKeyboard()
{
    keyboardSink = nullptr;
    heldKeys.clear();
    keys.reset();
    if (desktopKeyboard) {
        desktop->removeKeyboard();
        desktopKeyboard = false;
    }
    watchApplication();
}

void WindowInputSource::removeMouse()
{
    mouseSink = nullptr;
    heldButtons = {};
    if (desktopMouse) {
        desktop->removeMouse();
        desktopMouse = false;
    }
    watchApplication();
}

void WindowInputSource::watchApplication()
{
    // The window's native handle comes and goes with show and hide, so the
    // filter sits on the application and picks the window's events out.
    const bool wanted = keyboardSink || mouseSink;
    QCoreApplication* application = QCoreApplication::instance();
    if (wanted == watching || !application)
        return;
    if (wanted)
        application->installEventFilter(this);
    else
        application->removeEventFilter(this);
    watching = wanted;
}

bool WindowInputSource::ownsKeyboard() const
{
    const QWindow* handle = window ? window->windowHandle() : nullptr;
    return handle && QGuiApplication::focusWindow() == handle;
}

bool WindowInputSource::ownsPointer() const
{
    return window && (pointerInside || heldButtons != Qt::NoButton);
}

bool WindowInputSource::eventFilter(QObject* watched, QEvent* event)
{
    if (!window || !watched->isWindowType() || watched != window->windowHandle())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Qt repeats a held key as release-press pairs; the key is still down.
        if (!key->isAutoRepeat())
            keyEvent(key->nativeScanCode(), event->type() == QEvent::KeyPress);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:   // the second press of a double click
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->globalPosition().toPoint();
        buttonEvent(mouse->button(), event->type() != QEvent::MouseButtonRelease, at.x(), at.y());
        break;
    }
    case QEvent::Enter:
        pointerInside = true;
        break;
    case QEvent::Leave:
        pointerInside = false;
        break;
    case QEvent::FocusOut:
        releaseHeldKeys();
        break;
    default:
        break;
    }
    // Input is never swallowed.
    return false;
}

void WindowInputSource::keyEvent(unsigned keycode, bool press)
{
    if (!keyboardSink)
        return;
    if (press)
        heldKeys.insert(keycode);
    else
        heldKeys.remove(keycode);
    keys.key(keycode, press, keyboardSink);
}

void WindowInputSource::buttonEvent(Qt::MouseButton button, bool press, int x, int y)
{
    if (!mouseSink)
        return;
    if (press)
        heldButtons |= button;
    else
        heldButtons &= ~Qt::MouseButtons(button);
    if (const std::uint32_t message = mouseMessageForX11Button(x11Button(button), press))
        mouseSink->handleMouseEvent(message, x, y);
}

void WindowInputSource::releaseHeldKeys()
{
    const QSet<unsigned> held = std::exchange(heldKeys, {});
    for (const unsigned keycode : held)
        keys.key(keycode, false, keyboardSink);
}

void WindowInputSource::DesktopGate::handleKeyEvent(int hookCode, std::uint32_t message, std::uint32_t scanCode,
                                                    std::uint32_t flags)
{
    if (source.keyboardSink && !source.ownsKeyboard())
        source.keyboardSink->handleKeyEvent(hookCode, message, scanCode, flags);
}

void WindowInputSource::DesktopGate::handleMouseEvent(std::uint32_t message, int x, int y)
{
    if (source.mouseSink && !source.ownsPointer())
        source.mouseSink->handleMouseEvent(message, x, y);
}
