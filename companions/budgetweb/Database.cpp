#include "Database.h"

#include <sqlite3.h>

namespace {
[[noreturn]] void fail(sqlite3 *db, const std::string &what)
{
    throw DatabaseError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// Version 1: users, their sessions, budget types and expenses. Amounts are integer cents;
// dates are local calendar days as YYYY-MM-DD, which sort and compare as text.
constexpr const char *SchemaV1 = R"sql(
CREATE TABLE users(
  id INTEGER PRIMARY KEY,
  login TEXT NOT NULL UNIQUE COLLATE NOCASE,
  display_name TEXT NOT NULL,
  email TEXT NOT NULL DEFAULT '',
  pw_salt BLOB NOT NULL,
  pw_key BLOB NOT NULL,
  pw_iterations INTEGER NOT NULL,
  created_at INTEGER NOT NULL);
CREATE TABLE sessions(
  token_hash BLOB PRIMARY KEY,
  user_id INTEGER REFERENCES users(id) ON DELETE CASCADE,
  csrf TEXT NOT NULL,
  created_at INTEGER NOT NULL,
  last_seen INTEGER NOT NULL) WITHOUT ROWID;
CREATE INDEX sessions_by_user ON sessions(user_id);
CREATE TABLE budget_types(
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  monthly_cents INTEGER NOT NULL CHECK(monthly_cents >= 0),
  UNIQUE(user_id, name COLLATE NOCASE));
CREATE TABLE expenses(
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  type_id INTEGER NOT NULL REFERENCES budget_types(id) ON DELETE RESTRICT,
  cents INTEGER NOT NULL CHECK(cents > 0),
  note TEXT NOT NULL DEFAULT '',
  spent_on TEXT NOT NULL,
  created_at INTEGER NOT NULL);
-- Serves both the month's sum per type (covering) and the check that a type is unused.
CREATE INDEX expenses_by_type_day ON expenses(type_id, spent_on, cents);
CREATE TABLE settings(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
)sql";
}  // namespace

// --- Statement ---------------------------------------------------------------------------

Statement::~Statement()
{
    if (m_stmt) sqlite3_reset(m_stmt);
}

Statement &Statement::bind(int index, std::int64_t value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK) fail(m_db, "bind");
    return *this;
}

Statement &Statement::bind(int index, std::string_view text)
{
    if (sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

Statement &Statement::bindBlob(int index, std::string_view bytes)
{
    if (sqlite3_bind_blob(m_stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

Statement &Statement::bindNull(int index)
{
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK) fail(m_db, "bind");
    return *this;
}

bool Statement::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const std::string sql = sqlite3_sql(m_stmt) ? sqlite3_sql(m_stmt) : "";
    sqlite3_reset(m_stmt);
    fail(m_db, "query failed (" + sql.substr(0, 60) + ")");
}

void Statement::run()
{
    while (next()) {
    }
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(m_stmt, column); }

std::string Statement::text(int column) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string{};
}

std::string Statement::blob(int column) const
{
    const auto *p = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string{};
}

bool Statement::isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

// --- Connection --------------------------------------------------------------------------

Connection::Connection(const std::string &path)
{
    const int rc = sqlite3_open_v2(path.c_str(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DatabaseError("cannot open " + path + ": " + message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    // Writers wait for each other instead of failing at once.
    sqlite3_busy_timeout(m_db, 5000);
    try {
        exec("PRAGMA foreign_keys=ON");
        // FULL: a committed expense is on disk before the answer goes out, even in WAL mode.
        exec("PRAGMA synchronous=FULL");
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

Connection::~Connection()
{
    for (auto &[sql, stmt] : m_statements) sqlite3_finalize(stmt);
    sqlite3_close(m_db);
}

Statement Connection::prepare(const char *sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
            fail(m_db, std::string("cannot prepare ") + sql);
        it = m_statements.emplace(sql, stmt).first;
    } else {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
    }
    return Statement(m_db, it->second);
}

void Connection::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(m_db);
        sqlite3_free(error);
        throw DatabaseError(message);
    }
}

std::int64_t Connection::lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }
int Connection::changes() const { return sqlite3_changes(m_db); }

// --- Transaction -------------------------------------------------------------------------

Transaction::Transaction(Connection &c) : m_connection(c) { c.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction()
{
    if (!m_done) sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    m_connection.exec("COMMIT");
    m_done = true;
}

// --- Database ----------------------------------------------------------------------------

Database::Database(std::string path) : m_path(std::move(path))
{
    auto c = std::make_unique<Connection>(m_path);
    c->exec("PRAGMA journal_mode=WAL");
    migrate(*c);
    m_idle.push_back(std::move(c));
}

void Database::migrate(Connection &c)
{
    Transaction t(c);
    Statement version = c.prepare("PRAGMA user_version");
    const int current = version.next() ? static_cast<int>(version.integer(0)) : 0;
    version.run();
    if (current > SchemaVersion)
        throw DatabaseError("the database was written by a newer budgetweb (schema " + std::to_string(current)
                            + ", this one knows " + std::to_string(SchemaVersion) + ")");
    if (current < 1) c.exec(SchemaV1);
    // Later versions add their steps here, each guarded by the version it upgrades from.
    c.exec(("PRAGMA user_version=" + std::to_string(SchemaVersion)).c_str());
    t.commit();
}

Database::Lease Database::connection()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            auto c = std::move(m_idle.back());
            m_idle.pop_back();
            return Lease(*this, std::move(c));
        }
    }
    return Lease(*this, std::make_unique<Connection>(m_path));
}

void Database::giveBack(std::unique_ptr<Connection> c)
{
    if (!c) return;
    std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(c));
}
