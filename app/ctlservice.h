#pragma once

#include "ctlrequest.h"
#include "linkturn.h"

#include <QObject>

#include <functional>
#include <optional>

class Widget;

// Carries out the command-line companion's requests on the window, as the
// matching clicks would: the title bar's profile switch, the report-rate
// list, the profile page's Import and Export, the DPI button's stage. The
// running program serves the channel with it; the companion, alone, serves
// its own request with it on a window it never shows.
class CtlService : public QObject
{
    Q_OBJECT

public:
    explicit CtlService(Widget* window, QObject* parent = nullptr);

    using Done = std::function<void(const ctl::Outcome&)>;

    // A request from the channel: decoded, checked, run in its turn, answered.
    void handle(const QString& message, const Done& done);
    // Names and ranges checked against the stores, before anything is sent:
    // the usage error, or nothing when the request may run.
    std::optional<ctl::Outcome> check(const ctl::Request& request) const;
    // Runs a checked request once the link is free.
    void execute(const ctl::Request& request, const Done& done);

private:
    ctl::Outcome run(const ctl::Request& request);
    bool connected() const;

    Widget* window;
    LinkTurn turn;
};
