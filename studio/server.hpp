#pragma once

#include <cxxopts.hpp>
#include <filesystem>
#include <memory>
#include <ostream>

#include "studio/routes.hpp"

// The studio's HTTP server on the loopback interface: 127.0.0.1 and, where
// the system has it, ::1, on one port.
class StudioServer {
public:
    explicit StudioServer(Studio& studio);
    ~StudioServer();
    StudioServer(const StudioServer&) = delete;
    StudioServer& operator=(const StudioServer&) = delete;

    // Binds `port` (0: any free one), sets the studio's port and starts
    // serving in threads of its own. Throws RunError when it cannot listen.
    int start(int port);
    void stop();

private:
    struct Listeners;
    Studio& studio_;
    std::unique_ptr<Listeners> listeners_;
};

// `svggenerator --studio`: prints the address, serves until Ctrl-C or
// SIGTERM and returns the exit status (0). Throws RunError and cxxopts
// exceptions for a start that cannot work.
int run_studio(const cxxopts::ParseResult& result, const std::filesystem::path& program, std::ostream& out,
               std::ostream& err);
