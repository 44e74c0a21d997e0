#pragma once
// Every address the program opens is HomeUrl followed directly by a page name.
#include <QString>

// The web application's root folder on its server, with the closing slash.
QString HomeUrl();

namespace Page {
inline constexpr const char *Logout = "Logout.aspx";
inline constexpr const char *ManageTypes = "ManageTypesF.aspx";
inline constexpr const char *ModUser = "ModUserF.aspx";
}

// Address and page-text patterns, matched with ContainsText.
namespace Pattern {
inline constexpr const char *AccountPage = "Account.aspx";
inline constexpr const char *FlowEnd = "Default.aspx";
inline constexpr const char *ServerError = "Server Error in '/Brenvo' Application";
}

// HomeUrl followed by the page name.
QString PageUrl(const char *pageName);

// True when pattern occurs anywhere in text, both upper-cased under the user's locale.
bool ContainsText(const QString &text, const QString &pattern);
