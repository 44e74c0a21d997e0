#pragma once
#include <set>
#include <string>
#include <vector>

// The command line of budgetweb. Kept stable: the end-to-end tests of Zorvel rely on it.
struct Options {
    std::string host = "127.0.0.1";  // loopback only unless told otherwise
    int port = 8470;                 // 0: any free port, printed once bound
    std::string dbPath;              // empty: the default under the user's data folder
    bool demo = false;
    std::set<std::string> failPages;  // page names in lower case
    std::string latestVersion = BUDGETWEB_VERSION;
    std::string downloadUrl;  // empty: this server's own /Brenvo/updates/ page
    bool help = false;

    struct Result;
    static Result parse(const std::vector<std::string> &args);
    static std::string usage();
    static std::string defaultDbPath();
};

struct Options::Result {
    Options options;
    std::string error;  // one line; empty when the command line was good
};

// A version of four dot-separated numbers from 0 to 65535, as the updater compares them.
bool isFourPartVersion(const std::string &text);
