// Feeds arbitrary requests to the studio's request handling, as the server
// hands them on: a method, a path, the headers that matter and a body. The
// input's lines are: flags, method, path, Host, Origin, token, then the body.
// The first byte's bits give the studio's own Host (1), token (2) and
// Origin (4) instead of the input's, so that most inputs get past the checks.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "studio/routes.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int port = 4711;
const std::string token = "00112233445566778899aabbccddeeff";

// A folder of this process, removed when the fuzzer ends normally.
struct Scratch {
    fs::path path = fs::temp_directory_path() / ("svggenerator-studio-fuzz-" + std::to_string(getpid()));
    Scratch() { fs::create_directories(path); }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string next_line(std::string_view& rest) {
    const auto end = rest.find('\n');
    const std::string line(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    static Studio studio;
    if (studio.token.empty()) {
        studio.start.json_file = (scratch.path / "box.json").string();
        studio.start.output_directory = (scratch.path / "out").string();
        studio.start.settings = {{"vectorize", false}};
        studio.port = port;
        studio.token = token;
    }
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const unsigned flags = data[0];
    StudioRequest request;
    request.method = next_line(rest);
    request.path = next_line(rest);
    request.host = next_line(rest);
    request.origin = next_line(rest);
    request.token_header = next_line(rest);
    request.token_parameter = request.token_header;
    request.body = std::string(rest);
    if (flags & 1) request.host = "127.0.0.1:" + std::to_string(port);
    if (flags & 2) request.token_header = request.token_parameter = token;
    if (flags & 4) request.origin = "http://localhost:" + std::to_string(port);
    if (flags & 8) request.origin.reset();
    // An export may start Inkscape, which a fuzzer cannot wait for; its
    // reading of the request is the render's.
    if (request.path == "/api/export") request.path = "/api/render";
    const StudioResponse response = handle_request(studio, request);
    if (response.status < 200 || response.status > 599) __builtin_trap();
    return 0;
}
