#include "DemoHousehold.h"

#include <cstdint>
#include <ctime>

namespace DemoHousehold {

namespace {
struct DemoType {
    const char *name;
    std::int64_t monthlyCents;
    int perMonth;             // expenses a month
    std::int64_t typicalCents;  // around this much each
    const char *notes[3];
};

constexpr DemoType Types[] = {
    {"Groceries", 45000, 40, 1100, {"Market", "Supermarket", "Bakery"}},
    {"Rent", 95000, 1, 95000, {"Rent", "Rent", "Rent"}},
    {"Transport", 12000, 20, 600, {"Bus ticket", "Fuel", "Train"}},
    {"Utilities", 18000, 4, 4500, {"Electricity", "Water", "Internet"}},
    {"Leisure", 10000, 12, 800, {"Cinema", "Books", "Dinner out"}},
    {"Health", 6000, 3, 2000, {"Pharmacy", "Dentist", "Glasses"}},
};

// A small fixed generator, so that every demo household looks the same.
struct Sequence {
    std::uint32_t state = 20240611;
    std::uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

std::string day(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &tm);
    return buffer;
}
}  // namespace

bool seed(BudgetStore &store)
{
    if (store.setting("demo_seeded")) return false;
    auto c = store.database().connection();
    Transaction t(*c);
    {
        Statement existing = c->prepare("SELECT 1 FROM users WHERE login = 'demo'");
        if (existing.next()) return false;  // someone made a "demo" account by hand: keep it
    }
    const std::string key = fromHex(KeyHex);
    c->prepare("INSERT INTO users(login, display_name, email, pw_salt, pw_key, pw_iterations, created_at) "
               "VALUES('demo', 'Demo Household', 'demo@example.org', ?1, ?2, ?3, ?4)")
        .bindBlob(1, Salt).bindBlob(2, key).bind(3, PasswordHash::Iterations)
        .bind(4, static_cast<std::int64_t>(std::time(nullptr)))
        .run();
    const std::int64_t userId = c->lastInsertId();
    Sequence random;
    const std::time_t now = std::time(nullptr);
    for (const DemoType &type : Types) {
        c->prepare("INSERT INTO budget_types(user_id, name, monthly_cents) VALUES(?1, ?2, ?3)")
            .bind(1, userId).bind(2, type.name).bind(3, type.monthlyCents).run();
        const std::int64_t typeId = c->lastInsertId();
        // A year back from today, spread evenly with some jitter; amounts between half and
        // one and a half of the typical one (rent is the same every month).
        const int count = type.perMonth * 12;
        for (int i = 0; i < count; ++i) {
            const int daysAgo = static_cast<int>((365LL * i) / count + random.next() % (365 / count + 1)) % 365;
            const std::int64_t cents = type.perMonth == 1 && type.typicalCents > 50000
                                           ? type.typicalCents
                                           : type.typicalCents / 2 + static_cast<std::int64_t>(random.next() % type.typicalCents);
            c->prepare("INSERT INTO expenses(user_id, type_id, cents, note, spent_on, created_at) "
                       "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
                .bind(1, userId).bind(2, typeId).bind(3, cents).bind(4, type.notes[random.next() % 3])
                .bind(5, day(now - static_cast<std::time_t>(daysAgo) * 86400)).bind(6, static_cast<std::int64_t>(now))
                .run();
        }
    }
    c->prepare("INSERT INTO settings(key, value) VALUES('demo_seeded', '1')").run();
    t.commit();
    return true;
}

}  // namespace DemoHousehold
