// kestrel-orbit-ctl: the everyday operations from scripts and desktop
// shortcuts. A running program gets the request over its single-instance
// channel; without one, this process does the work on a window it never shows.
#include "ctlrequest.h"
#include "ctlservice.h"
#include "datadir.h"
#include "myqquickview.h"
#include "singleinstance.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QQuickItem>
#include <QTextStream>

#include <cstdio>

namespace {

// Longer than any sequence a request may wait behind.
constexpr int kAnswerMs = 60000;

int finish(const ctl::Outcome& outcome)
{
    if (!outcome.out.isEmpty())
        std::fprintf(stdout, "%s\n", outcome.out.toUtf8().constData());
    if (!outcome.error.isEmpty())
        std::fprintf(stderr, "kestrel-orbit-ctl: %s\n", outcome.error.toUtf8().constData());
    std::fflush(stdout);
    return outcome.code;
}

// The program's log is for the program: here stdout and stderr carry only
// the answer.
void quietMessages(QtMsgType, const QMessageLogContext&, const QString&)
{
}

// The main program's single-instance key: its executable beside this one.
QString mainProgramKey()
{
    const QFileInfo program(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrel-orbit")));
    const QString canonical = program.canonicalFilePath();
    return canonical.isEmpty() ? program.absoluteFilePath() : canonical;
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    ctl::Parsed parsed = ctl::parseArguments(arguments);
    switch (parsed.kind) {
    case ctl::Parsed::Help:
        std::fputs(ctl::usageText().toUtf8().constData(), stdout);
        return ctl::Done;
    case ctl::Parsed::Version:
        std::printf("kestrel-orbit-ctl %s\n", KESTREL_VERSION);
        return ctl::Done;
    case ctl::Parsed::UsageError: {
        ctl::Outcome outcome = ctl::failure(ctl::Usage, parsed.error, parsed.request.json);
        outcome.error += QStringLiteral("\nTry 'kestrel-orbit-ctl --help'.");
        return finish(outcome);
    }
    case ctl::Parsed::Run:
        break;
    }
    ctl::Request& request = parsed.request;
    if (!request.file.isEmpty())
        request.file = QFileInfo(request.file).absoluteFilePath();

    // Never a window on any screen, and nothing on the terminal but the answer.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    // The main program's name: the same per-user data folder.
    QCoreApplication::setApplicationName(QStringLiteral("kestrel-orbit"));

    SingleInstance instance(mainProgramKey());
    if (instance.isRunning()) {
        QString answer;
        switch (instance.request(ctl::encodeRequest(request), kAnswerMs, &answer)) {
        case SingleInstance::Delivery::Answered:
            if (const std::optional<ctl::Outcome> outcome = ctl::decodeOutcome(answer))
                return finish(*outcome);
            [[fallthrough]];
        case SingleInstance::Delivery::NoAnswer:
        case SingleInstance::Delivery::NotRunning:
            return finish(ctl::failure(ctl::Failed, QStringLiteral("the running program did not answer"), request.json));
        }
    }

    // Alone: this process holds the single-instance name while it works, so
    // a program started meanwhile does not drive the mouse at the same time.
    QDir::setCurrent(prepareDataDir(installedLocations()));
    app.setQuitOnLastWindowClosed(false);
    Widget window;
    CtlService service(&window);
    if (const std::optional<ctl::Outcome> refused = service.check(request))
        return finish(*refused);
    instance.setRequestHandler(QLatin1String(ctl::kRequestPrefix), [&service](const QString& message, const auto& answer) {
        service.handle(message, [answer](const ctl::Outcome& outcome) { answer(ctl::encodeOutcome(outcome)); });
    });
    window.checkDevice();
    // Nobody sees this window: the protection period that follows the first
    // connection only keeps clicks away, so it ends as soon as the
    // connection's own sequence (queued before this) has run.
    QMetaObject::invokeMethod(
        &window,
        [&window] {
            QQuickItem* root = window.view()->rootObject();
            QObject* timer = root ? root->findChild<QObject*>(QStringLiteral("tmrProtectUI")) : nullptr;
            if (timer && timer->property("running").toBool()) {
                timer->setProperty("running", false);
                QMetaObject::invokeMethod(root, "endProtectUI");
            }
        },
        Qt::QueuedConnection);
    int code = ctl::Failed;
    service.execute(request, [&code](const ctl::Outcome& outcome) {
        code = finish(outcome);
        QCoreApplication::exit(code);
    });
    app.exec();
    window.hid.readerRunning = false;
    return code;
}
