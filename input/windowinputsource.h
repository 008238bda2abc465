#pragma once

#include "inputsource.h"
#include "x11keymap.h"

#include <QObject>
#include <QPointer>
#include <QSet>

#include <memory>

class QWidget;

// Keys and buttons that reach the program's own window, for sessions in
// which no desktop-wide source hears them: a Wayland client's keys go to it
// alone, and XWayland hears only what is typed into X11 windows. The native
// scan code of a key event is the X key code there, so keys take the X11
// source's road to the capture.
//
// An optional desktop-wide source adds what the session lets it see of the
// other windows. The two never report the same key: while the window has
// the keyboard focus its own key events are the only ones taken (the
// desktop source's are dropped), and while the pointer is over it or a
// button pressed in it is held, its own button events are. When the window
// loses the focus it reports the keys it saw go down as released, so a key
// whose release then goes elsewhere does not stay down.
class WindowInputSource final : public QObject, public InputEventSource
{
public:
    explicit WindowInputSource(QWidget* window, std::unique_ptr<InputEventSource> desktop = {});
    ~WindowInputSource() override;

    bool installKeyboard(InputEventSink& sink) override;
    bool installMouse(InputEventSink& sink) override;
    void removeKeyboard() override;
    void removeMouse() override;

    bool ownsKeyboard() const;
    bool ownsPointer() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Passes the desktop source's events on while the window does not
    // report them itself.
    class DesktopGate final : public InputEventSink
    {
    public:
        explicit DesktopGate(WindowInputSource& source)
            : source(source)
        {
        }
        void handleKeyEvent(int hookCode, std::uint32_t message, std::uint32_t scanCode,
                            std::uint32_t flags) override;
        void handleMouseEvent(std::uint32_t message, int x, int y) override;

    private:
        WindowInputSource& source;
    };

    void keyEvent(unsigned keycode, bool press);
    void buttonEvent(Qt::MouseButton button, bool press, int x, int y);
    void releaseHeldKeys();
    void watchApplication();

    QPointer<QWidget> window;
    std::unique_ptr<InputEventSource> desktop;
    DesktopGate gate{*this};
    InputEventSink* keyboardSink = nullptr;
    InputEventSink* mouseSink = nullptr;
    bool desktopKeyboard = false;
    bool desktopMouse = false;
    bool watching = false;
    X11KeyForwarder keys;
    QSet<unsigned> heldKeys;     // X key codes seen going down in the window
    bool pointerInside = false;
    Qt::MouseButtons heldButtons;
};
