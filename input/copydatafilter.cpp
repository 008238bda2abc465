#include "copydatafilter.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include "copydata_win.h"
#endif

CopyDataFilter::CopyDataFilter(QCoreApplication& app, InputHooks& inputHooks)
    : application(app)
    , hooks(inputHooks)
{
    application.installNativeEventFilter(this);
}

CopyDataFilter::~CopyDataFilter()
{
    application.removeNativeEventFilter(this);
}

bool CopyDataFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result)
{
#ifdef Q_OS_WIN
    // WM_COPYDATA is sent, not posted: it reaches the window procedure only.
    if (eventType == "windows_generic_MSG") {
        std::intptr_t reply = 0;
        if (dispatchCopyDataMessage(hooks, message, &reply)) {
            if (result)
                *result = reply;
            return true;
        }
    }
#else
    Q_UNUSED(eventType)
    Q_UNUSED(message)
    Q_UNUSED(result)
#endif
    return false;
}
