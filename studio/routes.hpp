#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "parts/library.hpp"
#include "studio/studio_settings.hpp"

// 16 MiB is more than any project needs; a larger body gets 413.
constexpr std::size_t max_body_bytes = std::size_t{16} << 20;

// The studio's state shared by all requests.
struct Studio {
    StudioStart start;
    int port = 0;
    std::string token;
    const PartLibrary* parts = nullptr;
    // The drawing code and the interrupt handling keep global state: one
    // request draws or writes at a time.
    std::mutex work;
};

// A request as the routing sees it, without sockets.
struct StudioRequest {
    std::string method;
    std::string path;
    std::optional<std::string> token_parameter;  // ?token=
    std::optional<std::string> host;
    std::optional<std::string> origin;
    std::optional<std::string> token_header;  // X-Studio-Token
    std::string body;
};

struct StudioResponse {
    int status = 200;
    std::string content_type = "application/json";
    std::string body;
    std::string_view static_body;  // a built-in file, not copied; used when `body` is empty
    std::vector<std::pair<std::string, std::string>> headers;
};

// Answers one request: checks who asks (Host, Origin, token), then serves
// the page's files or the API. Never throws; errors are JSON
// {"error": text} with their status.
StudioResponse handle_request(Studio& studio, const StudioRequest& request);

// The refusal of a request that may not reach the studio at all (a foreign
// Host or Origin, a missing token), judged without its body; nothing when it
// may.
std::optional<StudioResponse> refuse_request(Studio& studio, const StudioRequest& request);

// The body of an error response: {"error": text}.
std::string error_body(const std::string& text);
