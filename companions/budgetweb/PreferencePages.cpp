// The two pages of Zorvel's preferences dialog, each shown in a browser area of 335 × 285
// pixels: the budget types with their monthly amounts, and the user's own details.
#include "BudgetApp.h"

#include "Html.h"
#include "Money.h"

namespace {
constexpr const char *PanelCss =
    "html,body{margin:0;background:#fff}"
    "body{width:335px;box-sizing:border-box;padding:4px 6px;font:11px/18px Verdana,\"DejaVu Sans\",sans-serif;color:#111;"
    "overflow-x:hidden}"
    "h1{font-size:12px;margin:0 0 4px 0}"
    "form{margin:0 0 3px 0;white-space:nowrap}"
    "input,button{font:inherit;height:20px;box-sizing:border-box;padding:0 3px;vertical-align:middle}"
    ".name{width:130px}.amount{width:68px;text-align:right}"
    ".head{color:#555;white-space:nowrap}.head span{display:inline-block}"
    ".e{color:#b00000;display:block;white-space:normal}.n{color:#2d6a1f;margin:0 0 4px 0}"
    "label{display:inline-block;width:70px}.wide{width:230px}a{color:#0645ad}";

std::int64_t idFrom(const std::string &text)
{
    try {
        std::size_t used = 0;
        const long long id = std::stoll(text, &used);
        return used == text.size() && id > 0 ? id : 0;
    } catch (const std::exception &) {
        return 0;
    }
}

std::string signInFirst(const char *what)
{
    return Html::page("Sign in", PanelCss,
                      std::string("<h1>") + what + "</h1><p>Sign in to see them.</p>"
                          "<p><a href=\"/Brenvo/Account.aspx\">Sign in</a></p>");
}
}  // namespace

void BudgetApp::manageTypesPage(Exchange &x)
{
    const User *user = x.user();
    if (!user) {
        sendHtml(x, signInFirst("Budget types"));
        return;
    }
    // On a refused post the row that was posted shows what was typed, with the message under it.
    std::int64_t postedId = -1;  // 0: the add row
    std::string postedName, postedAmount, notice;
    if (x.post) {
        const std::string action = x.form.value("action");
        postedId = action == "add" ? 0 : idFrom(x.form.value("id"));
        postedName = x.form.value("name");
        postedAmount = x.form.value("amount");
        if (action == "delete") {
            switch (m_store.deleteType(user->id, postedId)) {
            case BudgetStore::Outcome::Done: seeOther(x, "/Brenvo/ManageTypesF.aspx?done=deleted"); return;
            case BudgetStore::Outcome::InUse:
                x.errors["name"] = "This type has expenses, so it cannot be deleted. Rename it instead.";
                break;
            default: x.errors["name"] = "This type no longer exists."; break;
            }
        } else if (action == "add" || (action == "save" && postedId > 0)) {
            std::string name = postedName;
            if (std::string e = FormInput::checkLine(name, 40, false); !e.empty())
                x.errors["name"] = name.empty() ? "Enter a name." : e;
            const Money::Parsed amount = Money::parse(postedAmount, true);
            if (!amount.cents) x.errors["amount"] = amount.error;
            if (x.errors.empty()) {
                const auto outcome = action == "add" ? m_store.addType(user->id, name, *amount.cents)
                                                     : m_store.updateType(user->id, postedId, name, *amount.cents);
                if (outcome == BudgetStore::Outcome::Done) {
                    seeOther(x, std::string("/Brenvo/ManageTypesF.aspx?done=") + (action == "add" ? "added" : "saved"));
                    return;
                }
                x.errors["name"] = outcome == BudgetStore::Outcome::NameTaken ? "A type of this name exists."
                                                                              : "This type no longer exists.";
            }
        } else {
            notice = "Nothing was changed.";
        }
    } else if (x.req.has_param("done")) {
        const std::string done = x.req.get_param_value("done");
        notice = done == "added" ? "Type added." : done == "deleted" ? "Type deleted." : "Saved.";
    }

    const LocalMonth month = LocalMonth::current();
    const auto types = m_store.types(user->id, month.first, month.next);
    const std::string token = tokenField(x);
    auto rowForm = [&](std::int64_t id, const std::string &name, const std::string &amount) {
        const bool posted = id == postedId;
        std::string html = "<form method=\"post\" action=\"/Brenvo/ManageTypesF.aspx\">" + token;
        if (id > 0) html += "<input type=\"hidden\" name=\"id\" value=\"" + std::to_string(id) + "\">";
        html += "<input class=\"name\" name=\"name\" maxlength=\"40\" aria-label=\"Name\" value=\""
                + Html::escape(posted ? postedName : name) + "\"> "
                + "<input class=\"amount\" name=\"amount\" maxlength=\"13\" aria-label=\"Monthly amount\" value=\""
                + Html::escape(posted ? postedAmount : amount) + "\"> ";
        if (id > 0)
            html += "<button name=\"action\" value=\"save\">Save</button> "
                    "<button name=\"action\" value=\"delete\">Delete</button>";
        else
            html += "<button name=\"action\" value=\"add\">Add</button>";
        if (posted) html += errorBeside(x, "name") + errorBeside(x, "amount");
        return html + "</form>";
    };
    std::string body = "<h1>Budget types</h1>";
    if (!notice.empty()) body += "<div class=\"n\">" + Html::escape(notice) + "</div>";
    body += "<div class=\"head\"><span style=\"width:134px\">Name</span><span>Monthly budget</span></div>";
    for (const BudgetType &t : types) body += rowForm(t.id, t.name, Money::format(t.monthlyCents));
    if (types.empty()) body += "<div>No types yet.</div>";
    body += "<div class=\"head\">New type</div>" + rowForm(0, {}, {});
    sendHtml(x, Html::page("Budget types", PanelCss, body));
}

void BudgetApp::modUserPage(Exchange &x)
{
    const User *user = x.user();
    if (!user) {
        sendHtml(x, signInFirst("Your details"));
        return;
    }
    std::string name = user->displayName, email = user->email, notice;
    if (x.post) {
        name = x.form.value("name");
        email = x.form.value("email");
        if (std::string e = FormInput::checkLine(name, 60, false); !e.empty())
            x.errors["name"] = name.empty() ? "Enter your name." : e;
        if (std::string e = FormInput::checkEmail(email); !e.empty()) x.errors["email"] = e;
        if (x.errors.empty()) {
            m_store.updateUser(user->id, name, email);
            seeOther(x, "/Brenvo/ModUserF.aspx?saved=1");
            return;
        }
    } else if (x.req.has_param("saved")) {
        notice = "Saved.";
    }
    std::string body = "<h1>Your details</h1>";
    if (!notice.empty()) body += "<div class=\"n\">" + notice + "</div>";
    body += "<p>Signed in as <b>" + Html::escape(user->login) + "</b>.</p>"
            "<form method=\"post\" action=\"/Brenvo/ModUserF.aspx\">" + tokenField(x)
            + "<div><label for=\"name\">Name</label><input id=\"name\" class=\"wide\" name=\"name\" maxlength=\"60\" value=\""
            + Html::escape(name) + "\">" + errorBeside(x, "name") + "</div>"
            + "<div><label for=\"email\">E-mail</label><input id=\"email\" class=\"wide\" name=\"email\" maxlength=\"100\" value=\""
            + Html::escape(email) + "\">" + errorBeside(x, "email") + "</div>"
            + "<div style=\"margin-top:6px\"><button type=\"submit\">Save</button></div></form>"
            + "<p><a href=\"/Brenvo/PasswordAccount.aspx\">Change password</a></p>";
    sendHtml(x, Html::page("Your details", PanelCss, body));
}
