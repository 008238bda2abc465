#pragma once

#include <QAbstractNativeEventFilter>

class InputHooks;
class QCoreApplication;

// The application-wide native event filter that hands WM_COPYDATA to the
// hooks' copy-data handler. Installed while it lives. Only Windows has such
// messages; elsewhere it lets every message pass.
class CopyDataFilter final : public QAbstractNativeEventFilter
{
public:
    CopyDataFilter(QCoreApplication& application, InputHooks& hooks);
    ~CopyDataFilter() override;
    CopyDataFilter(const CopyDataFilter&) = delete;
    CopyDataFilter& operator=(const CopyDataFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QCoreApplication& application;
    InputHooks& hooks;
};
