#include "RequestLog.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

namespace RequestLog {

namespace {
void writeAll(const std::string &text)
{
    const char *p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // nowhere to log to: the request itself still succeeds
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::string timestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

// Control characters in a logged address would let a request forge log lines.
std::string printable(std::string_view text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
}  // namespace

void line(std::string_view remote, std::string_view method, std::string_view target, int status,
          std::size_t bytes, double milliseconds, std::string_view note)
{
    char figures[64];
    std::snprintf(figures, sizeof figures, " %d %zu %.1fms", status, bytes, milliseconds);
    std::string text = timestamp() + " " + printable(remote) + " " + printable(method) + " "
                       + printable(target) + figures;
    if (!note.empty()) text += " " + printable(note);
    text += '\n';
    writeAll(text);
}

void message(std::string_view text)
{
    writeAll("budgetweb: " + printable(text) + "\n");
}

}  // namespace RequestLog
