// budgetweb: the budget web application that Zorvel shows by default.
#include "BudgetApp.h"
#include "BudgetStore.h"
#include "Database.h"
#include "DemoHousehold.h"
#include "Options.h"
#include "RequestLog.h"

#include <httplib.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>

namespace {
int failure(const std::string &message)
{
    std::fprintf(stderr, "budgetweb: %s\n", message.c_str());
    return 1;
}
}  // namespace

int main(int argc, char **argv)
{
    const auto parsed = Options::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "budgetweb: %s\n", parsed.error.c_str());
        return 2;
    }
    const Options &options = parsed.options;
    if (options.help) {
        std::fputs(Options::usage().c_str(), stdout);
        return 0;
    }

    // SIGINT and SIGTERM are taken by one thread with sigwait(), never by a handler, so that
    // stopping the server happens in ordinary code. They are blocked before any thread exists
    // so that every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Database> db;
    try {
        const std::filesystem::path path(options.dbPath);
        if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
        db = std::make_unique<Database>(options.dbPath);
    } catch (const std::exception &e) {
        return failure(std::string("cannot use the database ") + options.dbPath + ": " + e.what());
    }
    BudgetStore store(*db);
    try {
        store.purgeSessions();
        if (options.demo && DemoHousehold::seed(store)) RequestLog::message("created the demo household (demo/demo)");
    } catch (const std::exception &e) {
        return failure(std::string("cannot prepare the database: ") + e.what());
    }

    httplib::Server server;
    // Each keep-alive connection holds a worker while it lasts; Zorvel's browsers open several.
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    server.set_keep_alive_max_count(1000);
    server.set_keep_alive_timeout(5);
    server.set_read_timeout(10);
    server.set_write_timeout(10);
    server.set_payload_max_length(64 * 1024);
    server.set_tcp_nodelay(true);
    // SO_REUSEADDR only: the library's default adds SO_REUSEPORT, with which a second server
    // on the same port would start without complaint and take half of the first one's requests.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    BudgetApp app(store, options);
    app.install(server);

    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.host);
        if (port < 0) return failure("cannot listen on " + options.host + ": no free port");
    } else if (!server.bind_to_port(options.host, port)) {
        return failure("cannot listen on " + options.host + ":" + std::to_string(port)
                       + " (in use, or not an address of this machine)");
    }
    const std::string host = options.host.find(':') != std::string::npos ? "[" + options.host + "]" : options.host;
    const std::string origin = "http://" + host + ":" + std::to_string(port);
    app.setOrigin(origin);
    std::printf("listening on %s/Brenvo/\n", origin.c_str());
    std::fflush(stdout);

    std::atomic<bool> stopping{false};
    std::thread stopper([&server, &stopping, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (!stopping.exchange(true))
            RequestLog::message(signal == SIGINT ? "interrupted, stopping" : "terminated, stopping");
        server.stop();
    });
    server.listen_after_bind();
    if (!stopping) {
        // The server ended without being asked to: end the signal thread too, and say so.
        stopping = true;
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        return failure("the server stopped unexpectedly");
    }
    stopper.join();
    return 0;
}
