#pragma once

#include <QObject>

class QWidget;
class myQQuickView;

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
};

// Hides the window into the tray; where the desktop has no tray, the window
// is minimised instead so that it stays reachable.
void hideToTray(QWidget* window);
