#pragma once
#include "BudgetStore.h"
#include "FormInput.h"
#include "Options.h"

#include <httplib.h>

#include <map>
#include <optional>
#include <string>

// The pages under /Brenvo/ and what they share: the router, the session cookie, the form
// token, the error and not-found pages and the request log.
class BudgetApp {
public:
    BudgetApp(BudgetStore &store, Options options);

    void install(httplib::Server &server);
    // The scheme, host and port the server is reached at, once bound ("http://127.0.0.1:8470").
    void setOrigin(std::string origin) { m_origin = std::move(origin); }

    static constexpr const char *Root = "/Brenvo/";
    static constexpr const char *CookieName = "BrenvoSession";

private:
    // One request as the pages see it.
    struct Exchange {
        Exchange(const httplib::Request &q, httplib::Response &s) : req(q), res(s) {}
        const httplib::Request &req;
        httplib::Response &res;
        bool post = false;
        std::optional<Session> session;
        FormInput form;
        std::map<std::string, std::string> errors;  // field name -> message beside it
        const User *user() const { return session && session->user ? &*session->user : nullptr; }
    };

    void dispatch(const httplib::Request &req, httplib::Response &res);

    void homePage(Exchange &x);
    void signInPage(Exchange &x);
    void newAccountPage(Exchange &x);
    void passwordPage(Exchange &x);
    void logoutPage(Exchange &x);
    void manageTypesPage(Exchange &x);
    void modUserPage(Exchange &x);
    void updateManifest(Exchange &x);
    void updatePage(Exchange &x);

    // The visitor's session, created (with its cookie) when there is none: forms need a token.
    Session &ensureSession(Exchange &x);
    void startSignedInSession(Exchange &x, std::int64_t userId);
    void setSessionCookie(Exchange &x, const std::string &token);
    // False (and the answer already written) when a post lacks this session's form token.
    bool formTokenValid(Exchange &x);
    static void seeOther(Exchange &x, const std::string &address);
    static void sendHtml(Exchange &x, const std::string &html, int status = 200);
    std::string tokenField(Exchange &x);
    static std::string errorBeside(const Exchange &x, const std::string &field);

    std::string renderHome(Exchange &x, const std::string &amount, const std::string &typeId,
                           const std::string &note, const std::string &notice);

    BudgetStore &m_store;
    Options m_options;
    std::string m_origin;
};

// Today as YYYY-MM-DD in local time, and the first days of this month and the next.
struct LocalMonth {
    std::string today, first, next, title;  // title: "May 2025"
    static LocalMonth current();
};
