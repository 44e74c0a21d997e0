#include "TForm1.h"

#include "BarNavigationRules.h"
#include "Tacctfrm.h"

void TForm1::WebBrowser1BeforeNavigate2(const QString &address, bool &cancel)
{
    // Account windows open under this bar; its first navigation, the home
    // page at start-up, tells them so before any account link can come.
    AccountWindowsOpenUnder(*this, desktop());
    AccountPagesLeaveTheBar(address, cancel);
}

void TForm1::WebBrowser1DocumentComplete()
{
    ErrorPageSendsTheBarHome(WebBrowser1());
}
