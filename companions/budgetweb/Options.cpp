#include "Options.h"

#include <cstdlib>

namespace {
bool parsePort(const std::string &text, int &port)
{
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > 65535) return false;
    port = value;
    return true;
}

// HOST:PORT, or [v6-address]:PORT.
bool parseListen(const std::string &text, std::string &host, int &port)
{
    std::string h, p;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') return false;
        h = text.substr(1, close - 1);
        p = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos) return false;
        h = text.substr(0, colon);
        p = text.substr(colon + 1);
        if (h.find(':') != std::string::npos) return false;
    }
    if (h.empty() || !parsePort(p, port)) return false;
    host = h;
    return true;
}

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
}  // namespace

bool isFourPartVersion(const std::string &text)
{
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const auto dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        int unused = 0;
        if (!parsePort(part, unused)) return false;  // digits only, 0 to 65535: the same rule
        ++parts;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return parts == 4;
}

std::string Options::defaultDbPath()
{
    const char *xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char *home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return base + "/zorvel/budget.sqlite";
}

std::string Options::usage()
{
    return "Usage: budgetweb [options]\n"
           "The budget web application that Zorvel shows, served under /Brenvo/.\n"
           "\n"
           "  --listen HOST:PORT        address to listen on (default 127.0.0.1:8470; port 0 picks a\n"
           "                            free port). The address is printed on one line once bound.\n"
           "  --db FILE                 the SQLite database (default\n"
           "                            ${XDG_DATA_HOME:-$HOME/.local/share}/zorvel/budget.sqlite)\n"
           "  --demo                    create the demo household once: user \"demo\", password \"demo\",\n"
           "                            with a year of expenses\n"
           "  --fail-page NAME          make the page NAME (e.g. Default.aspx) always answer the server\n"
           "                            error page, HTTP 500; may be given more than once\n"
           "  --latest-version A.B.C.D  the version the updater manifest offers (default " BUDGETWEB_VERSION ")\n"
           "  --download-url URL        where the manifest says to get it (default this server's\n"
           "                            /Brenvo/updates/ page)\n"
           "  --help                    print this help and exit\n";
}

Options::Result Options::parse(const std::vector<std::string> &args)
{
    Result r;
    Options &o = r.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        const bool takesValue = name == "--listen" || name == "--db" || name == "--fail-page"
                                || name == "--latest-version" || name == "--download-url";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) {
                r.error = "option " + name + " needs a value (see --help)";
                return r;
            }
            value = args[++i];
        } else if (!takesValue && hasValue) {
            r.error = "option " + name + " takes no value (see --help)";
            return r;
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--demo") {
            o.demo = true;
        } else if (name == "--listen") {
            if (!parseListen(value, o.host, o.port)) {
                r.error = "--listen wants HOST:PORT with a port from 0 to 65535, not '" + value + "'";
                return r;
            }
        } else if (name == "--db") {
            if (value.empty()) {
                r.error = "--db wants a file name";
                return r;
            }
            o.dbPath = value;
        } else if (name == "--fail-page") {
            if (value.empty() || value.find('/') != std::string::npos) {
                r.error = "--fail-page wants a page name such as Default.aspx, not '" + value + "'";
                return r;
            }
            o.failPages.insert(lower(value));
        } else if (name == "--latest-version") {
            if (!isFourPartVersion(value)) {
                r.error = "--latest-version wants four numbers such as 1.2.3.4, not '" + value + "'";
                return r;
            }
            o.latestVersion = value;
        } else if (name == "--download-url") {
            if (value.empty()) {
                r.error = "--download-url wants an address";
                return r;
            }
            o.downloadUrl = value;
        } else {
            r.error = "unknown option '" + args[i] + "' (see --help)";
            return r;
        }
    }
    if (o.dbPath.empty()) o.dbPath = defaultDbPath();
    return r;
}
