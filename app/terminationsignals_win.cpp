#include "terminationsignals.h"

// A logout reaches a Windows GUI program as session messages, not as these
// signals: nothing to catch here.
TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::start()
{
}

void TerminationSignals::readPending()
{
}
