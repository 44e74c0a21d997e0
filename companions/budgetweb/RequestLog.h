#pragma once
#include <string_view>

// One line per request on standard error, written with a single write() so that lines from
// concurrent requests never interleave.
namespace RequestLog {
void line(std::string_view remote, std::string_view method, std::string_view target, int status,
          std::size_t bytes, double milliseconds, std::string_view note = {});
void message(std::string_view text);
}  // namespace RequestLog
