#pragma once
// The two rules of the bar's browser.
#include "Browser.h"

#include <QString>

// Before each navigation of the bar's page or of any of its frames, form posts
// included: an address that contains "Account.aspx" is cancelled in the bar
// and opened in a new account window (OpenAccountWindow), which runs from the
// event loop right after this handler (see AfterNavigationRequest.h).
void AccountPagesLeaveTheBar(const QString &address, bool &cancel);

// After each completed document of the bar's page or of any frame: when the
// top-level page is the web application's error page, the bar goes home.
// There is no limit: a home page that keeps failing is loaded again after
// every load; each round waits for the server, so the program stays responsive.
void ErrorPageSendsTheBarHome(Browser &barBrowser);
