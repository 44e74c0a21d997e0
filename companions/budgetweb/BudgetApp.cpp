#include "BudgetApp.h"

#include "Html.h"
#include "RequestLog.h"

#include <openssl/crypto.h>

#include <chrono>
#include <ctime>
#include <stdexcept>

namespace {
// What the request log adds to the line of the request being served on this thread.
thread_local std::chrono::steady_clock::time_point t_started;
thread_local std::string t_note;

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string cookieValue(const httplib::Request &req, const std::string &name)
{
    const std::string header = req.get_header_value("Cookie");
    std::size_t pos = 0;
    while (pos < header.size()) {
        std::size_t end = header.find(';', pos);
        if (end == std::string::npos) end = header.size();
        std::size_t start = header.find_first_not_of(' ', pos);
        if (start < end && header.compare(start, name.size() + 1, name + "=") == 0)
            return header.substr(start + name.size() + 1, end - start - name.size() - 1);
        pos = end + 1;
    }
    return {};
}

std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Raised for a page named by --fail-page: it goes through the same path as any unhandled error.
struct DeliberateFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
}  // namespace

LocalMonth LocalMonth::current()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buffer[32];
    LocalMonth m;
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &tm);
    m.today = buffer;
    std::strftime(buffer, sizeof buffer, "%Y-%m-01", &tm);
    m.first = buffer;
    std::strftime(buffer, sizeof buffer, "%B %Y", &tm);
    m.title = buffer;
    const int year = tm.tm_year + 1900 + (tm.tm_mon == 11 ? 1 : 0);
    const int month = tm.tm_mon == 11 ? 1 : tm.tm_mon + 2;
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-01", year, month);
    m.next = buffer;
    return m;
}

BudgetApp::BudgetApp(BudgetStore &store, Options options) : m_store(store), m_options(std::move(options)) {}

void BudgetApp::install(httplib::Server &server)
{
    server.set_pre_routing_handler([](const httplib::Request &, httplib::Response &) {
        t_started = std::chrono::steady_clock::now();
        t_note.clear();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_logger([](const httplib::Request &req, const httplib::Response &res) {
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t_started).count();
        // The path only: a query could hold what a user typed.
        RequestLog::line(req.remote_addr, req.method, req.path, res.status, res.body.size(), ms, t_note);
    });
    auto handler = [this](const httplib::Request &req, httplib::Response &res) { dispatch(req, res); };
    server.Get(R"(/Brenvo/(.*))", handler);
    server.Post(R"(/Brenvo/(.*))", handler);
    server.Get("/Brenvo", [](const httplib::Request &, httplib::Response &res) {
        res.set_redirect(Root, 301);
    });
    // Unmatched addresses (outside /Brenvo/, or other methods) get the plain not-found page.
    server.set_error_handler([](const httplib::Request &req, httplib::Response &res) {
        if (res.status == 404 || res.body.empty())
            res.set_content(Html::notFoundPage(req.path), "text/html; charset=utf-8");
    });
    // A last guard: dispatch() catches everything itself, but nothing may leave without a page.
    server.set_exception_handler([](const httplib::Request &req, httplib::Response &res, std::exception_ptr) {
        res.status = 500;
        res.set_content(Html::serverErrorPage(req.path), "text/html; charset=utf-8");
    });
}

void BudgetApp::dispatch(const httplib::Request &req, httplib::Response &res)
{
    Exchange x(req, res);
    x.post = req.method == "POST";
    // Page names are matched without regard to case, as the server this application first ran on did.
    const std::string page = lower(req.path.substr(std::char_traits<char>::length(Root)));
    try {
        const std::string named = page.empty() ? "default.aspx" : page;
        if (m_options.failPages.count(named))
            throw DeliberateFailure("page " + named + " is set to fail (--fail-page)");

        using Page = void (BudgetApp::*)(Exchange &);
        struct Route {
            const char *name;
            Page page;
            bool takesPost;
        };
        static const Route routes[] = {
            {"", &BudgetApp::homePage, true},
            {"default.aspx", &BudgetApp::homePage, true},
            {"account.aspx", &BudgetApp::signInPage, true},
            {"newaccount.aspx", &BudgetApp::newAccountPage, true},
            {"passwordaccount.aspx", &BudgetApp::passwordPage, true},
            {"logout.aspx", &BudgetApp::logoutPage, false},
            {"managetypesf.aspx", &BudgetApp::manageTypesPage, true},
            {"moduserf.aspx", &BudgetApp::modUserPage, true},
            {"updates/latest.json", &BudgetApp::updateManifest, false},
            {"updates/", &BudgetApp::updatePage, false},
            {"updates", &BudgetApp::updatePage, false},
        };
        for (const Route &route : routes) {
            if (page != route.name) continue;
            if (x.post && !route.takesPost) {
                res.set_header("Allow", "GET, HEAD");
                sendHtml(x, Html::page("Method Not Allowed", "", "<h1>Method Not Allowed</h1>"), 405);
                return;
            }
            x.session = m_store.findSession(cookieValue(req, CookieName));
            if (x.post) {
                x.form = FormInput::parse(req.body);
                if (!formTokenValid(x)) return;
            }
            (this->*route.page)(x);
            return;
        }
        sendHtml(x, Html::notFoundPage(req.path), 404);
    } catch (const std::exception &e) {
        t_note = e.what();
        res.headers.clear();
        res.status = 500;
        res.set_content(Html::serverErrorPage(req.path), "text/html; charset=utf-8");
    }
}

Session &BudgetApp::ensureSession(Exchange &x)
{
    if (!x.session) {
        const auto created = m_store.createSession(std::nullopt);
        setSessionCookie(x, created.token);
        x.session = Session{sha256(created.token), std::nullopt, created.csrf};
    }
    return *x.session;
}

void BudgetApp::startSignedInSession(Exchange &x, std::int64_t userId)
{
    // A new token at every sign-in: a token planted before it (session fixation) stays anonymous.
    if (x.session) m_store.endSession(x.session->tokenHash);
    const auto created = m_store.createSession(userId);
    setSessionCookie(x, created.token);
    x.session = m_store.findSession(created.token);
}

void BudgetApp::setSessionCookie(Exchange &x, const std::string &token)
{
    // Max-Age, so that Zorvel's persistent browser profile keeps the login across restarts.
    x.res.set_header("Set-Cookie", std::string(CookieName) + "=" + token
                                       + "; Path=/Brenvo; Max-Age=2592000; HttpOnly; SameSite=Lax");
}

bool BudgetApp::formTokenValid(Exchange &x)
{
    const std::string sent = x.form.value("_token");
    if (x.session && !sent.empty() && sent.size() == x.session->csrf.size()
        && CRYPTO_memcmp(sent.data(), x.session->csrf.data(), sent.size()) == 0)
        return true;
    t_note = "form token missing or wrong";
    // Nothing of the post is used. The page offers the form again, with a fresh token.
    const std::string again = Html::escape(x.req.path);
    sendHtml(x,
             Html::page("Form expired", "body{font:13px/26px sans-serif;margin:4px 22px}",
                        "<div>This form has expired.</div><div><a href=\"" + again
                            + "\">Load the page again</a> and retry.</div>"),
             403);
    return false;
}

void BudgetApp::seeOther(Exchange &x, const std::string &address)
{
    x.res.set_redirect(address, 303);
}

void BudgetApp::sendHtml(Exchange &x, const std::string &html, int status)
{
    x.res.status = status;
    // Pages carry a user's figures and form tokens: never kept by a cache.
    x.res.set_header("Cache-Control", "no-store");
    x.res.set_header("X-Content-Type-Options", "nosniff");
    x.res.set_content(html, "text/html; charset=utf-8");
}

std::string BudgetApp::tokenField(Exchange &x)
{
    return "<input type=\"hidden\" name=\"_token\" value=\"" + Html::escape(ensureSession(x).csrf) + "\">";
}

std::string BudgetApp::errorBeside(const Exchange &x, const std::string &field)
{
    const auto it = x.errors.find(field);
    return it == x.errors.end() ? std::string{} : "<span class=\"e\">" + Html::escape(it->second) + "</span>";
}

void BudgetApp::logoutPage(Exchange &x)
{
    if (x.session) {
        m_store.endSession(x.session->tokenHash);
        x.session.reset();
    }
    x.res.set_header("Set-Cookie", std::string(CookieName) + "=; Path=/Brenvo; Max-Age=0; HttpOnly; SameSite=Lax");
    sendHtml(x, renderHome(x, {}, {}, {}, "You have signed out."));
}

void BudgetApp::updateManifest(Exchange &x)
{
    const std::string download = m_options.downloadUrl.empty() ? m_origin + Root + "updates/" : m_options.downloadUrl;
    x.res.set_header("Cache-Control", "no-store");
    x.res.set_content("{\"version\":" + jsonString(m_options.latestVersion) + ",\"download\":" + jsonString(download)
                          + "}\n",
                      "application/json");
}

void BudgetApp::updatePage(Exchange &x)
{
    sendHtml(x, Html::page("Get Zorvel", "body{font:13px/20px sans-serif;margin:8px 12px}",
                           "<h1>Get Zorvel</h1><p>The latest version of Zorvel is "
                               + Html::escape(m_options.latestVersion)
                               + ".</p><p>Zorvel is built from its source tree with CMake (see its README) and "
                                 "installed with <code>cmake --install</code>; the budget web application "
                                 "<code>budgetweb</code> comes with it.</p>"));
}
