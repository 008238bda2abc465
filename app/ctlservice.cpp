#include "ctlservice.h"

#include "filedialogs.h"
#include "importcheck.h"
#include "myqquickview.h"
#include "namelists.h"
#include "profilefiles.h"
#include "settingsfile.h"
#include "widget.h"

#include <QDebug>
#include <QJSValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>

#include <algorithm>

namespace {

constexpr int kMaxRows = 6;   // the profile page's limit

QQuickItem* rootOf(const Widget* window)
{
    return window->view() ? window->view()->rootObject() : nullptr;
}

QVariant callRoot(const Widget* window, const char* function, const QVariantList& arguments = {})
{
    QQuickItem* root = rootOf(window);
    QVariant result;
    if (!root)
        return result;
    switch (arguments.size()) {
    case 0:
        QMetaObject::invokeMethod(root, function, Q_RETURN_ARG(QVariant, result));
        break;
    default:
        QMetaObject::invokeMethod(root, function, Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, arguments[0]));
        break;
    }
    return result.metaType() == QMetaType::fromType<QJSValue>() ? result.value<QJSValue>().toVariant() : result;
}

// The screen as the companion reports it.
struct ScreenState
{
    int profileNo = 0;
    QList<ctl::ProfileRow> rows;
    int dpiStage = 0;
    int rateIndex = -1;
};

ScreenState screenState(const Widget* window)
{
    const QVariantMap map = callRoot(window, "companionState").toMap();
    ScreenState state;
    state.profileNo = map.value(QStringLiteral("profileNo")).toInt();
    for (const QVariant& row : map.value(QStringLiteral("rows")).toList()) {
        const QVariantMap fields = row.toMap();
        state.rows.append({fields.value(QStringLiteral("textValue")).toString(),
                           fields.value(QStringLiteral("profileNo")).toInt()});
    }
    state.dpiStage = map.value(QStringLiteral("dpiStage")).toInt();
    state.rateIndex = map.value(QStringLiteral("rateIndex")).toInt();
    return state;
}

QString nameOf(const QList<ctl::ProfileRow>& rows, int number)
{
    for (const ctl::ProfileRow& row : rows) {
        if (row.number == number)
            return row.name;
    }
    return QString();
}

QJsonObject profileObject(const QList<ctl::ProfileRow>& rows, int number)
{
    return {{QStringLiteral("number"), number}, {QStringLiteral("name"), nameOf(rows, number)}};
}

ctl::Outcome done(const ctl::Request& request, const QJsonObject& json, const QString& text)
{
    return {ctl::Done, request.json ? QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)) : text,
            QString()};
}

// The profile page's Import reads its file from the open dialog; here the
// request has chosen it.
class ChosenFile : public FileDialogs
{
public:
    explicit ChosenFile(const QString& path) : path(path), previous(FileDialogs::install(this)) {}
    ~ChosenFile() override { FileDialogs::install(previous); }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override { return path; }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&) override { return path; }

private:
    QString path;
    FileDialogs* previous;
};

} // namespace

CtlService::CtlService(Widget* window, QObject* parent)
    : QObject(parent)
    , window(window)
    , turn([window] {
          const QQuickItem* root = rootOf(window);
          const QObject* protect = root ? root->findChild<QObject*>(QStringLiteral("protectUIItem")) : nullptr;
          return window->hid.linkBusy() || (protect && protect->property("isBusy").toBool());
      })
{
    // The end of a protection period is the moment a waiting request may go;
    // the end of an exchange or a sequence is found by the turn's poll.
    if (QQuickItem* root = rootOf(window)) {
        if (QObject* protect = root->findChild<QObject*>(QStringLiteral("protectUIItem")))
            connect(protect, SIGNAL(isBusyChanged()), &turn, SLOT(freed()), Qt::QueuedConnection);
    }
}

void CtlService::handle(const QString& message, const Done& answer)
{
    const ctl::Parsed parsed = ctl::decodeRequest(message);
    if (parsed.kind != ctl::Parsed::Run) {
        qDebug().noquote() << QStringLiteral("Companion request refused:") << parsed.error;
        answer(ctl::failure(ctl::Usage, parsed.error, parsed.request.json));
        return;
    }
    const QString what = ctl::describe(parsed.request);
    qDebug().noquote() << QStringLiteral("Companion request:") << what;
    if (const std::optional<ctl::Outcome> refused = check(parsed.request)) {
        answer(*refused);
        return;
    }
    execute(parsed.request, [answer, what](const ctl::Outcome& outcome) {
        qDebug().noquote() << QStringLiteral("Companion done:") << what << outcome.code;
        answer(outcome);
    });
}

std::optional<ctl::Outcome> CtlService::check(const ctl::Request& request) const
{
    const QList<ctl::ProfileRow> rows = ctl::profileRows(namelists::getNameList(2));
    const auto usage = [&request](const QString& message) {
        return std::optional<ctl::Outcome>(ctl::failure(ctl::Usage, message, request.json));
    };
    switch (request.command) {
    case ctl::Command::ProfileSwitch:
        if (ctl::findRow(rows, request.profile) < 0)
            return usage(QStringLiteral("unknown profile '%1'").arg(request.profile));
        break;
    case ctl::Command::ProfileExport:
        if (std::none_of(rows.begin(), rows.end(), [&](const ctl::ProfileRow& row) { return row.number == request.number; }))
            return usage(QStringLiteral("unknown profile number '%1'").arg(request.number));
        break;
    case ctl::Command::ProfileImport:
        for (const ctl::ProfileRow& row : rows) {
            if (row.name == request.name)
                return usage(QStringLiteral("a profile named '%1' exists").arg(request.name));
        }
        break;
    case ctl::Command::DpiStage: {
        // The stages the mouse uses: the count last sent, kept in the active profile.
        const myQQuickView* view = window->view();
        const int profile = view->stores.global()->value(QStringLiteral("mouse/profileNo")).toInt();
        const SettingsFile* store = view->stores.profile(profile);
        const int stages = store ? store->value(QStringLiteral("mouse/currentDpiCount")).toInt() : 0;
        if (request.number > stages)
            return usage(QStringLiteral("DPI stage %1 is out of range (1 to %2)").arg(request.number).arg(stages));
        break;
    }
    default:
        break;
    }
    return std::nullopt;
}

void CtlService::execute(const ctl::Request& request, const Done& answer)
{
    turn.runWhenFree([this, request, answer] { answer(run(request)); });
}

bool CtlService::connected() const
{
    const QQuickItem* root = rootOf(window);
    return deviceConnected && root && root->property("isPownOn").toBool() && !root->property("deviceGone").toBool();
}

ctl::Outcome CtlService::run(const ctl::Request& request)
{
    const bool json = request.json;
    if (!connected()) {
        if (request.command == ctl::Command::Status && json)
            return {ctl::Failed, QStringLiteral("{\"connected\":false}"), QStringLiteral("no mouse found")};
        return ctl::failure(ctl::Failed, QStringLiteral("no mouse found"), json);
    }
    myQQuickView* view = window->view();
    const int failedBefore = window->hid.failedExchanges();
    const ScreenState before = screenState(window);
    ctl::Outcome outcome;

    switch (request.command) {
    case ctl::Command::Status: {
        const int hz = before.rateIndex >= 0 && before.rateIndex < ctl::kRatesHz.size() ? ctl::kRatesHz[before.rateIndex] : 0;
        const QJsonObject status{{QStringLiteral("connected"), true},
                                 {QStringLiteral("family"), view->icType},
                                 {QStringLiteral("gun"), view->isGun},
                                 {QStringLiteral("profile"), profileObject(before.rows, before.profileNo)},
                                 {QStringLiteral("dpiStage"), before.dpiStage},
                                 {QStringLiteral("reportRateHz"), hz}};
        outcome = done(request, status,
                       QStringLiteral("connected: yes\nfamily: %1\ngun: %2\nprofile: %3 %4\ndpi stage: %5\nreport rate: %6 Hz")
                           .arg(view->icType, view->isGun ? QStringLiteral("yes") : QStringLiteral("no"))
                           .arg(before.profileNo)
                           .arg(nameOf(before.rows, before.profileNo))
                           .arg(before.dpiStage)
                           .arg(hz));
        break;
    }
    case ctl::Command::ProfileList: {
        QJsonArray list;
        QStringList lines;
        for (const ctl::ProfileRow& row : before.rows) {
            const bool active = row.number == before.profileNo;
            list.append(QJsonObject{{QStringLiteral("number"), row.number},
                                    {QStringLiteral("name"), row.name},
                                    {QStringLiteral("active"), active}});
            lines.append(QStringLiteral("%1 %2 %3").arg(active ? QLatin1Char('*') : QLatin1Char(' ')).arg(row.number).arg(row.name));
        }
        outcome = done(request, {{QStringLiteral("profiles"), list}}, lines.join(QLatin1Char('\n')));
        break;
    }
    case ctl::Command::ProfileSwitch: {
        const int row = ctl::findRow(before.rows, request.profile);
        if (row < 0)
            return ctl::failure(ctl::Usage, QStringLiteral("unknown profile '%1'").arg(request.profile), json);
        const int number = before.rows[row].number;
        // The title bar's choice; choosing the active profile does nothing.
        callRoot(window, "switchProfile", {number});
        outcome = done(request, {{QStringLiteral("profile"), profileObject(before.rows, number)}},
                       QStringLiteral("profile %1 %2 active").arg(number).arg(before.rows[row].name));
        break;
    }
    case ctl::Command::ProfileExport:
        if (!profilefiles::exportProfile(view->stores, request.number, request.file))
            return ctl::failure(ctl::Failed, QStringLiteral("cannot write %1").arg(request.file), json);
        outcome = done(request,
                       {{QStringLiteral("exported"), profileObject(before.rows, request.number)},
                        {QStringLiteral("file"), request.file}},
                       QStringLiteral("profile %1 exported to %2").arg(request.number).arg(request.file));
        break;
    case ctl::Command::ProfileImport: {
        if (before.rows.size() >= kMaxRows)
            return ctl::failure(ctl::Failed, QStringLiteral("the profile list is full"), json);
        const QString refusal = importcheck::refusal(request.file);
        if (!refusal.isEmpty())
            return ctl::failure(ctl::Failed, QStringLiteral("cannot import %1: %2").arg(request.file, refusal), json);
        int number = -1;
        {
            const ChosenFile chosen(request.file);
            number = callRoot(window, "importProfileAs", {request.name}).toInt();
        }
        if (number < 0)
            return ctl::failure(ctl::Failed, QStringLiteral("cannot import %1").arg(request.file), json);
        const QList<ctl::ProfileRow> rows = screenState(window).rows;
        outcome = done(request, {{QStringLiteral("imported"), profileObject(rows, number)}},
                       QStringLiteral("imported as profile %1 %2").arg(number).arg(nameOf(rows, number)));
        break;
    }
    case ctl::Command::Rate:
        callRoot(window, "chooseReportRate", {int(ctl::kRatesHz.indexOf(request.number))});
        outcome = done(request, {{QStringLiteral("reportRateHz"), request.number}},
                       QStringLiteral("report rate %1 Hz").arg(request.number));
        break;
    case ctl::Command::DpiStage:
        // What the mouse would do on its button, then what its report of
        // the new stage does here.
        view->mouseSetCurrentDPI(uchar(request.number));
        window->stageReported(request.number);
        outcome = done(request, {{QStringLiteral("dpiStage"), request.number}},
                       QStringLiteral("dpi stage %1").arg(request.number));
        break;
    }
    if (window->hid.failedExchanges() != failedBefore || !connected())
        return ctl::failure(ctl::Failed, QStringLiteral("the mouse stopped answering"), json);
    return outcome;
}
