#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running copy per user and executable. The first instance listens on a
// local socket named after both; a later start finds it there, hands over a
// message and leaves. A socket left behind by a crashed instance is removed
// and taken over.
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

    QString serverName() const { return name; }

signals:
    void messageReceived(const QString& message);

private:
    void acceptConnection();

    QString name;
    QLocalServer* server = nullptr;
};
