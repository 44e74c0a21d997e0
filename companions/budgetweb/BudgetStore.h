#pragma once
#include "Database.h"
#include "PasswordHash.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct User {
    std::int64_t id = 0;
    std::string login;
    std::string displayName;
    std::string email;
};

struct Session {
    std::string tokenHash;     // what the database keeps: the cookie's token never is stored
    std::optional<User> user;  // empty for a visitor who has not signed in
    std::string csrf;          // the form token of every form of this session
};

struct BudgetType {
    std::int64_t id = 0;
    std::string name;
    std::int64_t monthlyCents = 0;
    std::int64_t spentCents = 0;  // within the month asked for
};

// The application's data, in the terms of its pages. All SQL of the program is here, with
// bound parameters only.
class BudgetStore {
public:
    explicit BudgetStore(Database &db) : m_db(db) {}

    // --- sessions ---
    struct NewSession {
        std::string token;  // goes into the cookie
        std::string csrf;
    };
    NewSession createSession(std::optional<std::int64_t> userId);
    std::optional<Session> findSession(const std::string &token);
    void endSession(const std::string &tokenHash);
    void purgeSessions();

    // --- users ---
    enum class Outcome { Done, NameTaken, NotFound, InUse };
    Outcome createUser(const std::string &login, const std::string &displayName, const std::string &email,
                       const PasswordHash &hash, std::int64_t &userId);
    // The user and the stored hash of the password, found by the login name (any case).
    std::optional<std::pair<User, PasswordHash>> findLogin(const std::string &login);
    PasswordHash passwordOf(std::int64_t userId);
    // Ends every other session of the user, so that a stolen session dies with the old password.
    void changePassword(std::int64_t userId, const PasswordHash &hash, const std::string &keepSessionHash);
    void updateUser(std::int64_t userId, const std::string &displayName, const std::string &email);

    // --- budget types and expenses ---
    // The user's types by name, each with what was spent on it from firstDay up to (not
    // including) endDay, dates as YYYY-MM-DD.
    std::vector<BudgetType> types(std::int64_t userId, const std::string &firstDay, const std::string &endDay);
    Outcome addType(std::int64_t userId, const std::string &name, std::int64_t monthlyCents);
    Outcome updateType(std::int64_t userId, std::int64_t typeId, const std::string &name, std::int64_t monthlyCents);
    Outcome deleteType(std::int64_t userId, std::int64_t typeId);
    Outcome addExpense(std::int64_t userId, std::int64_t typeId, std::int64_t cents, const std::string &note,
                       const std::string &day);

    std::optional<std::string> setting(const std::string &key);
    void setSetting(const std::string &key, const std::string &value);

    Database &database() { return m_db; }

private:
    Database &m_db;
};

// A new household starts with these types, so that the home page can take an expense at once.
struct DefaultType {
    const char *name;
    std::int64_t monthlyCents;
};
inline constexpr DefaultType DefaultTypes[] = {
    {"Groceries", 40000}, {"Household", 15000}, {"Transport", 12000}, {"Leisure", 10000}};
