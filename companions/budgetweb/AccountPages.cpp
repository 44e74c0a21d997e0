// The account pages open in Zorvel's account window: a browser of which 344 pixels' width are
// visible, 19 pixels cut off on the left and right and 4 at the top, and whose height is set
// from the number of lines of the page's text (26 pixels a line). So each page is one field or
// sentence a line, every row exactly one line high and never wrapping, and the text has no
// line that is not also a row. Every finished flow, and Cancel, leads to /Brenvo/Default.aspx,
// which closes the window.
#include "BudgetApp.h"

#include "Html.h"
#include "PasswordHash.h"

#include <cctype>

namespace {
constexpr const char *AccountCss =
    "html,body{margin:0;background:#fff;overflow:hidden}"
    "body{padding:4px 22px 0 22px;font:13px/26px \"DejaVu Sans\",Verdana,sans-serif;color:#111}"
    "h1,.r{margin:0;height:26px;white-space:nowrap;overflow:hidden}"
    "h1{font-size:14px}"
    "form{margin:0}"
    "label{display:inline-block;width:122px}"
    "input{width:186px;height:21px;box-sizing:border-box;font:12px sans-serif;padding:1px 3px;vertical-align:middle}"
    "button{font:12px sans-serif;height:22px;vertical-align:middle;margin-right:10px}"
    ".e{color:#b00000}a{color:#0645ad}";

constexpr const char *Home = "/Brenvo/Default.aspx";
constexpr const char *CancelLink = "<a href=\"/Brenvo/Default.aspx\">Cancel</a>";

std::string row(const std::string &html) { return "<div class=\"r\">" + html + "</div>"; }

// A login name: 3 to 32 of letters, digits, dot, dash and underscore.
std::string checkLogin(const std::string &login)
{
    if (login.empty()) return "Enter a user name.";
    if (login.size() < 3 || login.size() > 32) return "Use 3 to 32 characters.";
    for (unsigned char c : login)
        if (!std::isalnum(c) && c != '.' && c != '-' && c != '_') return "Use letters, digits, . - _ only.";
    return {};
}

std::string checkNewPassword(const std::string &password)
{
    if (password.empty()) return "Enter a password.";
    if (password.size() < 8) return "Use at least 8 characters.";
    if (password.size() > 128) return "Use at most 128 characters.";
    return {};
}

// A hash of an unknown password, checked when the user name is unknown, so that a wrong name
// takes as long as a wrong password and does not tell which names exist.
const PasswordHash &decoyHash()
{
    static const PasswordHash hash = PasswordHash::create("decoy password");
    return hash;
}
}  // namespace

void BudgetApp::signInPage(Exchange &x)
{
    std::string login = x.form.value("login");
    if (x.post) {
        const std::string password = x.form.value("password");
        FormInput::checkLine(login, 32, true);
        if (login.empty()) x.errors["login"] = "Enter your user name.";
        if (password.empty()) x.errors["password"] = "Enter your password.";
        if (x.errors.empty()) {
            const auto found = m_store.findLogin(login);
            const bool good = found ? found->second.matches(password) : (decoyHash().matches(password), false);
            if (good) {
                startSignedInSession(x, found->first.id);
                seeOther(x, Home);
                return;
            }
            x.errors["password"] = "Wrong user name or password.";
        }
    }
    std::string body = "<h1>Sign in</h1>";
    if (const User *u = x.user()) body += row("Signed in as " + Html::escape(u->login) + ".");
    body += "<form method=\"post\" action=\"/Brenvo/Account.aspx\">" + tokenField(x);
    body += row("<label for=\"login\">User name</label><input id=\"login\" name=\"login\" maxlength=\"32\" value=\""
                + Html::escape(login) + "\" autofocus>");
    if (x.errors.count("login")) body += row(errorBeside(x, "login"));
    body += row("<label for=\"password\">Password</label>"
                "<input id=\"password\" name=\"password\" type=\"password\" maxlength=\"128\">");
    if (x.errors.count("password")) body += row(errorBeside(x, "password"));
    body += row("<button type=\"submit\">Sign in</button>" + std::string(CancelLink));
    body += "</form>";
    body += row("No account yet? <a href=\"/Brenvo/NewAccount.aspx\">Create one</a>.");
    if (m_options.demo) body += row("Demo: user demo, password demo.");
    sendHtml(x, Html::page("Sign in", AccountCss, body));
}

void BudgetApp::newAccountPage(Exchange &x)
{
    std::string login = x.form.value("login");
    std::string name = x.form.value("name");
    std::string email = x.form.value("email");
    if (x.post) {
        const std::string password = x.form.value("password");
        const std::string repeat = x.form.value("repeat");
        FormInput::checkLine(login, 64, true);
        if (std::string e = checkLogin(login); !e.empty()) x.errors["login"] = e;
        if (std::string e = FormInput::checkLine(name, 60, false); !e.empty())
            x.errors["name"] = name.empty() ? "Enter your name." : e;
        if (std::string e = FormInput::checkEmail(email); !e.empty()) x.errors["email"] = e;
        if (std::string e = checkNewPassword(password); !e.empty()) x.errors["password"] = e;
        else if (repeat != password) x.errors["repeat"] = "The passwords differ.";
        if (x.errors.empty()) {
            std::int64_t userId = 0;
            if (m_store.createUser(login, name, email, PasswordHash::create(password), userId)
                == BudgetStore::Outcome::Done) {
                startSignedInSession(x, userId);
                seeOther(x, Home);
                return;
            }
            x.errors["login"] = "This user name is taken.";
        }
    }
    auto field = [&](const char *id, const char *label, const char *type, int max, const std::string &value) {
        std::string html = row(std::string("<label for=\"") + id + "\">" + label + "</label><input id=\"" + id
                               + "\" name=\"" + id + "\" type=\"" + type + "\" maxlength=\"" + std::to_string(max)
                               + "\" value=\"" + Html::escape(value) + "\">");
        if (x.errors.count(id)) html += row(errorBeside(x, id));
        return html;
    };
    std::string body = "<h1>Create an account</h1><form method=\"post\" action=\"/Brenvo/NewAccount.aspx\">"
                       + tokenField(x);
    body += field("login", "User name", "text", 32, login);
    body += field("name", "Your name", "text", 60, name);
    body += field("email", "E-mail (optional)", "email", 100, email);
    body += field("password", "Password", "password", 128, {});
    body += field("repeat", "Repeat password", "password", 128, {});
    body += row("<button type=\"submit\">Create account</button>" + std::string(CancelLink));
    body += "</form>";
    body += row("Have one? <a href=\"/Brenvo/Account.aspx\">Sign in</a>.");
    sendHtml(x, Html::page("Create an account", AccountCss, body));
}

void BudgetApp::passwordPage(Exchange &x)
{
    const User *user = x.user();
    if (!user) {
        // Loaded by a plain navigation without a login: say what to do instead of failing.
        std::string body = "<h1>Change password</h1>" + row("Sign in first to change your password.")
                           + row("<a href=\"/Brenvo/Account.aspx\">Sign in</a> &nbsp; " + std::string(CancelLink));
        sendHtml(x, Html::page("Change password", AccountCss, body));
        return;
    }
    if (x.post) {
        const std::string current = x.form.value("current");
        const std::string password = x.form.value("password");
        const std::string repeat = x.form.value("repeat");
        if (current.empty()) x.errors["current"] = "Enter your current password.";
        else if (!m_store.passwordOf(user->id).matches(current)) x.errors["current"] = "This is not your password.";
        if (std::string e = checkNewPassword(password); !e.empty()) x.errors["password"] = e;
        else if (repeat != password) x.errors["repeat"] = "The passwords differ.";
        if (x.errors.empty()) {
            m_store.changePassword(user->id, PasswordHash::create(password), x.session->tokenHash);
            seeOther(x, Home);
            return;
        }
    }
    auto field = [&](const char *id, const char *label) {
        std::string html = row(std::string("<label for=\"") + id + "\">" + label + "</label><input id=\"" + id
                               + "\" name=\"" + id + "\" type=\"password\" maxlength=\"128\">");
        if (x.errors.count(id)) html += row(errorBeside(x, id));
        return html;
    };
    std::string body = "<h1>Change password</h1>" + row("Signed in as " + Html::escape(user->login) + ".")
                       + "<form method=\"post\" action=\"/Brenvo/PasswordAccount.aspx\">" + tokenField(x);
    body += field("current", "Current password");
    body += field("password", "New password");
    body += field("repeat", "Repeat password");
    body += row("<button type=\"submit\">Change password</button>" + std::string(CancelLink));
    body += "</form>";
    sendHtml(x, Html::page("Change password", AccountCss, body));
}
