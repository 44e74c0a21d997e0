#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// SQLite access for many request threads: each thread borrows a connection of its own from
// the pool (WAL lets readers run beside one writer), with its prepared statements cached.
// Every failure throws DatabaseError, which the server answers with its error page.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Statement {
public:
    Statement(sqlite3 *db, sqlite3_stmt *stmt) : m_db(db), m_stmt(stmt) {}
    // Resets the statement when done with it: a statement left in the middle of its rows
    // would hold a read snapshot open, and its connection would go on seeing old data.
    ~Statement();
    Statement(Statement &&other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt) { other.m_stmt = nullptr; }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, std::int64_t value);
    Statement &bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    Statement &bind(int index, std::string_view text);
    Statement &bind(int index, const char *text) { return bind(index, std::string_view(text)); }
    Statement &bind(int index, const std::string &text) { return bind(index, std::string_view(text)); }
    Statement &bindBlob(int index, std::string_view bytes);
    Statement &bindNull(int index);
    template <typename... Args>
    Statement &bindAll(const Args &...args)
    {
        int i = 0;
        (bind(++i, args), ...);
        return *this;
    }

    // Steps once: true while a row is available.
    bool next();
    // Runs a statement that returns no rows.
    void run();
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::string blob(int column) const;
    bool isNull(int column) const;

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
};

class Connection {
public:
    explicit Connection(const std::string &path);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // A cached prepared statement, reset and with its bindings cleared.
    Statement prepare(const char *sql);
    void exec(const char *sql);
    std::int64_t lastInsertId() const;
    int changes() const;
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
    std::map<const char *, sqlite3_stmt *> m_statements;  // keyed by the literal's address
};

// BEGIN IMMEDIATE ... COMMIT; rolls back when left by an exception.
class Transaction {
public:
    explicit Transaction(Connection &c);
    ~Transaction();
    void commit();

private:
    Connection &m_connection;
    bool m_done = false;
};

class Database {
public:
    // Opens (creating when missing) the file and brings its schema to the current version.
    explicit Database(std::string path);

    class Lease {
    public:
        Lease(Database &db, std::unique_ptr<Connection> c) : m_db(db), m_connection(std::move(c)) {}
        ~Lease() { m_db.giveBack(std::move(m_connection)); }
        Lease(const Lease &) = delete;
        Lease &operator=(const Lease &) = delete;
        Connection &operator*() const { return *m_connection; }
        Connection *operator->() const { return m_connection.get(); }

    private:
        Database &m_db;
        std::unique_ptr<Connection> m_connection;
    };

    Lease connection();
    static constexpr int SchemaVersion = 1;

private:
    void giveBack(std::unique_ptr<Connection> c);
    void migrate(Connection &c);

    std::string m_path;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Connection>> m_idle;
};
