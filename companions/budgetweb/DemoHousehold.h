#pragma once
#include "BudgetStore.h"

// The demo household of --demo: user "demo" with the password "demo", six budget types and a
// year of expenses up to today. Created once per database; later starts leave it alone.
namespace DemoHousehold {

inline constexpr const char *Salt = "Brenvo demo salt";
// PBKDF2-HMAC-SHA-256 of "demo" with Salt and the standard iteration count, worked out once:
// the demo's password is public anyway, and deriving it at every fresh start would cost a
// fifth of a second that the end-to-end tests would pay each time.
inline constexpr const char *KeyHex = "a09dac1272fd5453bd48af420df387a2b02f16145b62850deaf57df4a65f2d34";

// True when it created the household, false when it was there already.
bool seed(BudgetStore &store);

}  // namespace DemoHousehold
