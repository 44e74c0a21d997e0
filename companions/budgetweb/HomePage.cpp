// The home page: the bar's visible area of 808 × 60 pixels holds one row of this month's
// spending against the budget per type, and one row with the form that adds an expense.
#include "BudgetApp.h"

#include "Html.h"
#include "Money.h"

namespace {
constexpr const char *HomeCss =
    "html,body{margin:0;overflow:hidden}"
    // The bar crops its browser: 19 px at the left and 2 at the top never show, the right
    // 21 px hold the hidden scroll bar, its name label covers the first 86 px of the top row
    // and its buttons the right 72 px; the content stays clear of all of them.
    "body{font:11px/20px Verdana,\"DejaVu Sans\",sans-serif;color:#1d2733;background:#f3f5f9;"
    "padding:4px 74px 0 27px;height:66px;box-sizing:border-box}"
    ".m{height:22px;white-space:nowrap;overflow:hidden}.m:first-child{padding-left:86px}"
    // Six types with four-digit budgets fit in 808 px at this size.
    ".s{font:10px/22px Arial,\"Liberation Sans\",sans-serif}"
    ".t{display:inline-block;margin-right:9px}.t b{font-weight:bold}"
    ".over{color:#b00000}.ok{color:#2d6a1f}"
    "form{margin:0;height:26px;white-space:nowrap;overflow:hidden}"
    "input,select,button{font:inherit;height:20px;padding:0 3px;box-sizing:border-box;vertical-align:middle}"
    ".e{color:#b00000;margin:0 8px 0 3px}.n{color:#2d6a1f;margin-left:8px}.who{float:right;color:#555}"
    "a{color:#0645ad}";

const char *selected(bool yes) { return yes ? " selected" : ""; }
}  // namespace

std::string BudgetApp::renderHome(Exchange &x, const std::string &amount, const std::string &typeId,
                                  const std::string &note, const std::string &notice)
{
    const User *user = x.user();
    if (!user) {
        std::string body = "<div class=\"m\"><b>Household budget</b> &nbsp; "
                           "<a href=\"/Brenvo/Account.aspx\">Sign in</a> or "
                           "<a href=\"/Brenvo/NewAccount.aspx\">create an account</a> to track your spending.";
        if (!notice.empty()) body += "<span class=\"n\">" + Html::escape(notice) + "</span>";
        body += "</div>";
        if (m_options.demo)
            body += "<div class=\"m\">To look around, sign in as demo with the password demo.</div>";
        return Html::page("Budget", HomeCss, body);
    }

    const LocalMonth month = LocalMonth::current();
    const auto types = m_store.types(user->id, month.first, month.next);
    std::string body = "<div class=\"m s\">";
    std::int64_t spent = 0, budget = 0;
    for (const BudgetType &t : types) {
        spent += t.spentCents;
        budget += t.monthlyCents;
        body += "<span class=\"t\">" + Html::escape(t.name) + " <span class=\""
                + (t.spentCents > t.monthlyCents ? "over" : "ok") + "\">" + Money::format(t.spentCents)
                + "</span>/" + Money::format(t.monthlyCents) + "</span>";
    }
    if (types.empty()) body += "<span class=\"t\">No budget types yet: add them under Budget Types.</span>";
    body += "</div>";
    // The month's total at the right of the form row, the user's name in its tooltip.
    const std::string total = "<span class=\"who\" title=\"Signed in as " + Html::escape(user->displayName) + "\"><b>"
                              + Html::escape(month.title) + "</b> <span class=\"" + (spent > budget ? "over" : "ok")
                              + "\">" + Money::format(spent) + "</span>/" + Money::format(budget) + "</span>";

    body += "<form method=\"post\" action=\"" + Html::escape(x.req.path) + "\">" + tokenField(x)
            + total
            + "<label>Amount <input name=\"amount\" size=\"8\" maxlength=\"13\" inputmode=\"decimal\" value=\""
            + Html::escape(amount) + "\"></label>" + errorBeside(x, "amount")
            + " <label>Type <select name=\"type\">";
    for (const BudgetType &t : types) {
        const std::string id = std::to_string(t.id);
        body += "<option value=\"" + id + "\"" + selected(id == typeId) + ">" + Html::escape(t.name) + "</option>";
    }
    body += "</select></label>" + errorBeside(x, "type")
            + " <label>Note <input name=\"note\" size=\"16\" maxlength=\"100\" value=\"" + Html::escape(note)
            + "\"></label>" + errorBeside(x, "note") + " <button type=\"submit\">Add expense</button>";
    if (!notice.empty()) body += "<span class=\"n\">" + Html::escape(notice) + "</span>";
    body += "</form>";
    return Html::page("Budget", HomeCss, body);
}

void BudgetApp::homePage(Exchange &x)
{
    const User *user = x.user();
    if (!x.post) {
        sendHtml(x, renderHome(x, {}, {}, {}, x.req.has_param("added") && user ? "Expense added." : ""));
        return;
    }
    if (!user) {
        // The session ended (signed out elsewhere) while the form was open.
        sendHtml(x, renderHome(x, {}, {}, {}, "Sign in to add expenses."));
        return;
    }
    std::string amountText = x.form.value("amount");
    std::string typeText = x.form.value("type");
    std::string note = x.form.value("note");

    const Money::Parsed amount = Money::parse(amountText, false);
    if (!amount.cents) x.errors["amount"] = amount.error;
    std::int64_t typeId = 0;
    try {
        std::size_t used = 0;
        typeId = std::stoll(typeText, &used);
        if (used != typeText.size()) typeId = 0;
    } catch (const std::exception &) {
        typeId = 0;
    }
    if (typeId <= 0) x.errors["type"] = "Choose a budget type.";
    if (std::string e = FormInput::checkLine(note, 100, true); !e.empty()) x.errors["note"] = e;

    if (x.errors.empty()) {
        const LocalMonth month = LocalMonth::current();
        if (m_store.addExpense(user->id, typeId, *amount.cents, note, month.today) == BudgetStore::Outcome::Done) {
            // Post, then redirect to a plain load: reloading the page never adds the expense twice.
            seeOther(x, x.req.path + "?added=1");
            return;
        }
        x.errors["type"] = "That budget type no longer exists.";
    }
    sendHtml(x, renderHome(x, amountText, typeText, note, {}));
}
