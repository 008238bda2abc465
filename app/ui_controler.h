#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;
class QWindow;
class myQQuickView;

// How a drag of the frameless window moves it: the program places the window
// itself, or (a Wayland client may not place its windows) hands the drag to
// the compositor's own interactive move.
enum class WindowDrag { Place, SystemMove };
WindowDrag windowDragFor(const QString& platformName);

// Lets the UI documents act on the frameless window: drag it, minimise it,
// close it to the tray. It also sets the window up with the declarative view
// that is the bridge.
class Ui_Controler : public QObject
{
    Q_OBJECT

public:
    Ui_Controler() = default;

    QWidget* window = nullptr;
    myQQuickView* view = nullptr;
    // setupUi takes it from the platform.
    WindowDrag drag = WindowDrag::Place;
    // Starts the compositor's move; tests put their own function here.
    std::function<bool(QWindow*)> startSystemMove;

    // Builds the window's appearance, the bridge view with the main document
    // and the documents' context properties.
    void setupUi(QWidget* mainWindow, QObject* hid);

public slots:
    void onMinimize();
    void onClose();
    void onXChanged(int dx);
    void onYChanged(int dy);
    void setBusy(int busyTime);
    void setBusy();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dragBy(int dx, int dy);

    // The compositor runs the move from its start until the button goes up;
    // the drag's remaining calls must not start another before a new press.
    bool systemMoveStarted = false;
    bool watchingPresses = false;
};

// Hides the window into the tray; where the desktop has no tray, the window
// is minimised instead so that it stays reachable.
void hideToTray(QWidget* window);
