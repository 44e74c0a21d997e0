#include "BarNavigationRules.h"

#include "AfterNavigationRequest.h"
#include "PageText.h"
#include "Tacctfrm.h"
#include "WebAddresses.h"

#include <QCoreApplication>

void AccountPagesLeaveTheBar(const QString &address, bool &cancel)
{
    if (!ContainsText(address, QLatin1String(Pattern::AccountPage)))
        return;
    cancel = true;
    // The address goes over as the browser gave it, never through 8-bit text.
    RunAfterNavigationRequest(QCoreApplication::instance(), [address] { OpenAccountWindow(address); });
}

void ErrorPageSendsTheBarHome(Browser &barBrowser)
{
    // The top-level document is read whichever frame completed.
    const std::optional<QString> text = ReadPageText(barBrowser);
    if (text && ContainsText(*text, QLatin1String(Pattern::ServerError)))
        barBrowser.Navigate(HomeUrl());
}
