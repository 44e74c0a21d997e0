#include "AfterNavigationRequest.h"

#include "ErrorReporter.h"

#include <QTimer>

void RunAfterNavigationRequest(QObject *context, std::function<void()> work)
{
    QTimer::singleShot(0, context, [work = std::move(work)] { runGuarded(work); });
}
