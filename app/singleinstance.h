#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One running copy per user and executable. The first instance listens on a
// local socket named after both; a later start finds it there, hands over a
// message and leaves. A socket left behind by a crashed instance is removed
// and taken over. The socket and its lock file live in the user's private
// runtime folder, where no other user can create them first.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `key` defaults to the running executable's path.
    explicit SingleInstance(const QString& key = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another instance runs; otherwise this one starts listening.
    bool isRunning();
    // Delivers `message` to the running instance; true once it confirmed.
    bool sendMessage(const QString& message, int timeoutMs);

    // Requests: a message that starts with the handler's prefix is not
    // confirmed at once but handed to the handler, whose answer goes back
    // on the same connection once it is ready.
    using Answer = std::function<void(const QString& answer)>;
    using RequestHandler = std::function<void(const QString& request, const Answer& answer)>;
    void setRequestHandler(const QString& prefix, RequestHandler handler);

    // Sends `request` and waits up to `timeoutMs` for its answer.
    enum class Delivery { NotRunning, NoAnswer, Answered };
    Delivery request(const QString& message, int timeoutMs, QString* answer);

    // A frame larger than this is refused and its connection closed: the
    // longest message is a request of a few kilobytes.
    static constexpr qint64 kMaxFrameBytes = 64 * 1024;

    QString serverName() const { return name; }

    // On POSIX: $XDG_RUNTIME_DIR when it is the user's and closed to others,
    // else a folder of mode 0700 of the user's own in the temporary folder,
    // else one in the user's cache folder; empty when none can be had.
    static QString privateFolder();

signals:
    void messageReceived(const QString& message);

private:
    void acceptConnection();

    QString name;
    QString folder;
    QLocalServer* server = nullptr;
    QString requestPrefix;
    RequestHandler requestHandler;
};
