#pragma once

// Chooses the Qt platform to start on; build it before the application
// object and keep it while that lives. Where the session offers an X display
// next to Wayland (XWayland), the X11 platform is taken unless the user chose
// one: the window is then an X11 window, which the desktop-wide capture hears
// while it has the focus and which the program may place itself when it is
// dragged. The user's own choice (QT_QPA_PLATFORM, -platform) always wins,
// and so does Qt's where no X display answers.
class PlatformChoice
{
public:
    PlatformChoice(int argc, char** argv);
    ~PlatformChoice();
    PlatformChoice(const PlatformChoice&) = delete;
    PlatformChoice& operator=(const PlatformChoice&) = delete;

private:
    // The connection that asked stays open: an X server whose last client
    // leaves resets, and refuses the next one (Qt's) for a moment.
    void* probe = nullptr;
};
