#include "studio/request_checks.hpp"

namespace {

const char* const loopback_names[] = {"127.0.0.1", "[::1]", "localhost"};

}  // namespace

bool host_allowed(const std::string& host, int port) {
    const std::string suffix = ":" + std::to_string(port);
    for (const char* name : loopback_names) {
        if (host == name + suffix) return true;
    }
    return false;
}

bool origin_allowed(const std::string& origin, int port) {
    return origin.starts_with("http://") && host_allowed(origin.substr(7), port);
}
