#include "BudgetStore.h"

#include <sqlite3.h>

#include <ctime>

namespace {
std::int64_t now() { return static_cast<std::int64_t>(std::time(nullptr)); }

// Anonymous sessions exist only to carry a form token to a sign-in; they go after a day.
constexpr std::int64_t VisitorLifetime = 24 * 3600;
// Signed-in sessions end after this long without a request (the cookie lasts as long).
constexpr std::int64_t IdleLifetime = 30 * 24 * 3600;
// last_seen is refreshed at most this often, so that reading a page never has to write.
constexpr std::int64_t TouchInterval = 3600;

}  // namespace

BudgetStore::NewSession BudgetStore::createSession(std::optional<std::int64_t> userId)
{
    NewSession s{randomHex(32), randomHex(16)};
    auto c = m_db.connection();
    Statement insert = c->prepare(
        "INSERT INTO sessions(token_hash, user_id, csrf, created_at, last_seen) VALUES(?1, ?2, ?3, ?4, ?4)");
    insert.bindBlob(1, sha256(s.token));
    if (userId) insert.bind(2, *userId); else insert.bindNull(2);
    insert.bind(3, s.csrf).bind(4, now()).run();
    return s;
}

std::optional<Session> BudgetStore::findSession(const std::string &token)
{
    if (token.size() != 64) return std::nullopt;
    const std::string hash = sha256(token);
    auto c = m_db.connection();
    std::int64_t lastSeen = 0;
    Session session;
    {
        Statement q = c->prepare(
            "SELECT s.csrf, s.last_seen, s.user_id, u.login, u.display_name, u.email "
            "FROM sessions s LEFT JOIN users u ON u.id = s.user_id WHERE s.token_hash = ?1");
        q.bindBlob(1, hash);
        if (!q.next()) return std::nullopt;
        session.tokenHash = hash;
        session.csrf = q.text(0);
        lastSeen = q.integer(1);
        if (!q.isNull(2)) session.user = User{q.integer(2), q.text(3), q.text(4), q.text(5)};
    }
    const std::int64_t t = now();
    if (t - lastSeen > (session.user ? IdleLifetime : VisitorLifetime)) {
        c->prepare("DELETE FROM sessions WHERE token_hash = ?1").bindBlob(1, hash).run();
        return std::nullopt;
    }
    if (t - lastSeen > TouchInterval)
        c->prepare("UPDATE sessions SET last_seen = ?2 WHERE token_hash = ?1").bindBlob(1, hash).bind(2, t).run();
    return session;
}

void BudgetStore::endSession(const std::string &tokenHash)
{
    auto c = m_db.connection();
    c->prepare("DELETE FROM sessions WHERE token_hash = ?1").bindBlob(1, tokenHash).run();
}

void BudgetStore::purgeSessions()
{
    auto c = m_db.connection();
    c->prepare("DELETE FROM sessions WHERE (user_id IS NULL AND last_seen < ?1) OR last_seen < ?2")
        .bind(1, now() - VisitorLifetime)
        .bind(2, now() - IdleLifetime)
        .run();
}

BudgetStore::Outcome BudgetStore::createUser(const std::string &login, const std::string &displayName,
                                             const std::string &email, const PasswordHash &hash,
                                             std::int64_t &userId)
{
    auto c = m_db.connection();
    Transaction t(*c);
    {
        Statement taken = c->prepare("SELECT 1 FROM users WHERE login = ?1");
        if (taken.bind(1, login).next()) return Outcome::NameTaken;
    }
    c->prepare("INSERT INTO users(login, display_name, email, pw_salt, pw_key, pw_iterations, created_at) "
               "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .bind(1, login).bind(2, displayName).bind(3, email)
        .bindBlob(4, hash.salt).bindBlob(5, hash.key).bind(6, hash.iterations).bind(7, now())
        .run();
    userId = c->lastInsertId();
    for (const DefaultType &d : DefaultTypes)
        c->prepare("INSERT INTO budget_types(user_id, name, monthly_cents) VALUES(?1, ?2, ?3)")
            .bind(1, userId).bind(2, d.name).bind(3, d.monthlyCents).run();
    t.commit();
    return Outcome::Done;
}

std::optional<std::pair<User, PasswordHash>> BudgetStore::findLogin(const std::string &login)
{
    auto c = m_db.connection();
    Statement q = c->prepare(
        "SELECT id, login, display_name, email, pw_salt, pw_key, pw_iterations FROM users WHERE login = ?1");
    if (!q.bind(1, login).next()) return std::nullopt;
    PasswordHash hash;
    hash.salt = q.blob(4);
    hash.key = q.blob(5);
    hash.iterations = static_cast<int>(q.integer(6));
    return std::make_pair(User{q.integer(0), q.text(1), q.text(2), q.text(3)}, hash);
}

PasswordHash BudgetStore::passwordOf(std::int64_t userId)
{
    auto c = m_db.connection();
    Statement q = c->prepare("SELECT pw_salt, pw_key, pw_iterations FROM users WHERE id = ?1");
    PasswordHash hash;
    hash.iterations = 0;  // matches nothing when the user is gone
    if (q.bind(1, userId).next()) {
        hash.salt = q.blob(0);
        hash.key = q.blob(1);
        hash.iterations = static_cast<int>(q.integer(2));
    }
    return hash;
}

void BudgetStore::changePassword(std::int64_t userId, const PasswordHash &hash, const std::string &keepSessionHash)
{
    auto c = m_db.connection();
    Transaction t(*c);
    c->prepare("UPDATE users SET pw_salt = ?2, pw_key = ?3, pw_iterations = ?4 WHERE id = ?1")
        .bind(1, userId).bindBlob(2, hash.salt).bindBlob(3, hash.key).bind(4, hash.iterations).run();
    c->prepare("DELETE FROM sessions WHERE user_id = ?1 AND token_hash <> ?2")
        .bind(1, userId).bindBlob(2, keepSessionHash).run();
    t.commit();
}

void BudgetStore::updateUser(std::int64_t userId, const std::string &displayName, const std::string &email)
{
    auto c = m_db.connection();
    c->prepare("UPDATE users SET display_name = ?2, email = ?3 WHERE id = ?1")
        .bind(1, userId).bind(2, displayName).bind(3, email).run();
}

std::vector<BudgetType> BudgetStore::types(std::int64_t userId, const std::string &firstDay,
                                           const std::string &endDay)
{
    auto c = m_db.connection();
    Statement q = c->prepare(
        "SELECT t.id, t.name, t.monthly_cents, "
        "  (SELECT COALESCE(SUM(e.cents), 0) FROM expenses e WHERE e.type_id = t.id AND e.spent_on >= ?2 AND e.spent_on < ?3) "
        "FROM budget_types t WHERE t.user_id = ?1 ORDER BY t.name COLLATE NOCASE, t.id");
    q.bind(1, userId).bind(2, firstDay).bind(3, endDay);
    std::vector<BudgetType> out;
    while (q.next()) out.push_back({q.integer(0), q.text(1), q.integer(2), q.integer(3)});
    return out;
}

BudgetStore::Outcome BudgetStore::addType(std::int64_t userId, const std::string &name, std::int64_t monthlyCents)
{
    auto c = m_db.connection();
    Transaction t(*c);
    {
        Statement taken = c->prepare("SELECT 1 FROM budget_types WHERE user_id = ?1 AND name = ?2 COLLATE NOCASE");
        if (taken.bind(1, userId).bind(2, name).next()) return Outcome::NameTaken;
    }
    c->prepare("INSERT INTO budget_types(user_id, name, monthly_cents) VALUES(?1, ?2, ?3)")
        .bind(1, userId).bind(2, name).bind(3, monthlyCents).run();
    t.commit();
    return Outcome::Done;
}

BudgetStore::Outcome BudgetStore::updateType(std::int64_t userId, std::int64_t typeId, const std::string &name,
                                             std::int64_t monthlyCents)
{
    auto c = m_db.connection();
    Transaction t(*c);
    {
        Statement taken = c->prepare(
            "SELECT 1 FROM budget_types WHERE user_id = ?1 AND name = ?2 COLLATE NOCASE AND id <> ?3");
        if (taken.bind(1, userId).bind(2, name).bind(3, typeId).next()) return Outcome::NameTaken;
    }
    c->prepare("UPDATE budget_types SET name = ?3, monthly_cents = ?4 WHERE id = ?2 AND user_id = ?1")
        .bind(1, userId).bind(2, typeId).bind(3, name).bind(4, monthlyCents).run();
    if (c->changes() == 0) return Outcome::NotFound;
    t.commit();
    return Outcome::Done;
}

BudgetStore::Outcome BudgetStore::deleteType(std::int64_t userId, std::int64_t typeId)
{
    auto c = m_db.connection();
    Transaction t(*c);
    {
        Statement owned = c->prepare("SELECT 1 FROM budget_types WHERE id = ?1 AND user_id = ?2");
        if (!owned.bind(1, typeId).bind(2, userId).next()) return Outcome::NotFound;
    }
    {
        Statement used = c->prepare("SELECT 1 FROM expenses WHERE type_id = ?1 LIMIT 1");
        if (used.bind(1, typeId).next()) return Outcome::InUse;
    }
    c->prepare("DELETE FROM budget_types WHERE id = ?1 AND user_id = ?2").bind(1, typeId).bind(2, userId).run();
    t.commit();
    return Outcome::Done;
}

BudgetStore::Outcome BudgetStore::addExpense(std::int64_t userId, std::int64_t typeId, std::int64_t cents,
                                             const std::string &note, const std::string &day)
{
    auto c = m_db.connection();
    Transaction t(*c);
    {
        Statement owned = c->prepare("SELECT 1 FROM budget_types WHERE id = ?1 AND user_id = ?2");
        if (!owned.bind(1, typeId).bind(2, userId).next()) return Outcome::NotFound;
    }
    c->prepare("INSERT INTO expenses(user_id, type_id, cents, note, spent_on, created_at) "
               "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, userId).bind(2, typeId).bind(3, cents).bind(4, note).bind(5, day).bind(6, now()).run();
    t.commit();
    return Outcome::Done;
}

std::optional<std::string> BudgetStore::setting(const std::string &key)
{
    auto c = m_db.connection();
    Statement q = c->prepare("SELECT value FROM settings WHERE key = ?1");
    if (!q.bind(1, key).next()) return std::nullopt;
    return q.text(0);
}

void BudgetStore::setSetting(const std::string &key, const std::string &value)
{
    auto c = m_db.connection();
    c->prepare("INSERT INTO settings(key, value) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE SET value = ?2")
        .bind(1, key).bind(2, value).run();
}
