#include "studio/server.hpp"

#include <chrono>
#include <cstdlib>
#include <httplib.h>
#include <memory>
#include <thread>
#include <vector>

#include "panel/errors.hpp"
#include "panel/interrupts.hpp"
#include "parts/location.hpp"
#include "settings/options.hpp"
#include "studio/project_store.hpp"
#include "studio/static_files.hpp"
#include "studio/token.hpp"

namespace {

std::optional<std::string> header(const httplib::Request& request, const char* name) {
    if (!request.has_header(name)) return std::nullopt;
    return request.get_header_value(name);
}

StudioRequest studio_request(const httplib::Request& request) {
    StudioRequest studio_request;
    studio_request.method = request.method;
    studio_request.path = request.path;
    if (request.has_param("token")) studio_request.token_parameter = request.get_param_value("token");
    studio_request.host = header(request, "Host");
    studio_request.origin = header(request, "Origin");
    studio_request.token_header = header(request, "X-Studio-Token");
    studio_request.body = request.body;
    return studio_request;
}

// Answers go out as they are, through a provider of known length: Debian's
// cpp-httplib compresses a plain body of text or JSON with brotli at its
// highest quality, which kept three.js (1.1 MB) from the page for seconds and
// tripled a render's time, for nothing on the loopback.
void answer(const StudioResponse& response, httplib::Response& out) {
    out.status = response.status;
    for (const auto& [name, value] : response.headers) out.set_header(name, value);
    // A refusal keeps a plain body: the library's error handler takes over
    // an answer of 400 or more whose body is empty. It is short.
    if (response.status >= 400 || (response.body.empty() && response.static_body.empty())) {
        out.set_content(response.body, response.content_type.c_str());
        return;
    }
    auto owned = std::make_shared<const std::string>(response.body);
    const std::string_view body = response.body.empty() ? response.static_body : std::string_view(*owned);
    out.set_content_provider(body.size(), response.content_type.c_str(),
                             [owned, body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 return sink.write(body.data() + offset, length);
                             });
}

// Regular expressions of the library match the whole path; every route is
// a fixed path, so none has to scan an overlong one.
std::string literal_pattern(std::string_view path) {
    std::string pattern;
    for (char ch : path) {
        if (std::string_view(".[]{}()*+?^$|\\").find(ch) != std::string_view::npos) pattern += '\\';
        pattern += ch;
    }
    return pattern;
}

void configure(httplib::Server& server, Studio& studio) {
    server.set_payload_max_length(max_body_bytes);
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_keep_alive_max_count(100);
    // An answer goes out as headers and body in two writes; waiting to join
    // them with a next one would hold every answer back by the peer's
    // delayed acknowledgement (some 40 ms).
    server.set_tcp_nodelay(true);
    // Who asks is checked before a body is read.
    server.set_pre_routing_handler([&studio](const httplib::Request& request, httplib::Response& response) {
        StudioRequest checked = studio_request(request);
        checked.body.clear();
        // The library does not hold a body sent in chunks to the size limit;
        // the page always sends its length.
        if (request.has_header("Transfer-Encoding")) {
            StudioResponse refusal;
            refusal.status = 411;
            refusal.body = error_body("a body must come with its Content-Length, not in chunks");
            answer(refusal, response);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (auto refusal = refuse_request(studio, checked)) {
            answer(*refusal, response);
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    const auto handle = [&studio](const httplib::Request& request, httplib::Response& response) {
        answer(handle_request(studio, studio_request(request)), response);
    };
    server.Get("/", handle);
    for (std::size_t i = 0; i < embedded_file_count; ++i) server.Get(literal_pattern(embedded_files[i].path), handle);
    for (const char* path : {"/api/options", "/api/parts", "/api/project", "/api/status"}) server.Get(path, handle);
    server.Put("/api/project", handle);
    server.Post("/api/render", handle);
    server.Post("/api/export", handle);
    // The library's own refusals (413, 400, 404) as JSON too.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;
        const std::string text = response.status == 413   ? "the request body is larger than 16 MiB"
                                 : response.status == 404 ? "no such request"
                                                          : "the request could not be read (status " +
                                                                std::to_string(response.status) + ")";
        response.set_content(error_body(text), "application/json");
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        response.status = 500;
        response.set_content(error_body("the request failed inside the studio"), "application/json");
    });
}

void open_in_browser(const std::string& address, std::ostream& err) {
#ifdef _WIN32
    const std::string command = "start \"\" \"" + address + "\"";
#else
    const std::string command = "xdg-open '" + address + "' >/dev/null 2>&1 &";
#endif
    if (std::system(command.c_str()) != 0) {
        err << "Warning: cannot open a browser; open " << address << " yourself" << std::endl;
    }
}

}  // namespace

struct StudioServer::Listeners {
    httplib::Server v4;
    httplib::Server v6;
    std::vector<std::thread> threads;
};

StudioServer::StudioServer(Studio& studio) : studio_(studio), listeners_(std::make_unique<Listeners>()) {}

StudioServer::~StudioServer() { stop(); }

int StudioServer::start(int port) {
    configure(listeners_->v4, studio_);
    configure(listeners_->v6, studio_);
    const int bound = port == 0 ? listeners_->v4.bind_to_any_port("127.0.0.1")
                                : (listeners_->v4.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        throw RunError("cannot listen on 127.0.0.1 port " + std::to_string(port) + ": it is taken or not allowed");
    }
    studio_.port = bound;
    listeners_->threads.emplace_back([this] { listeners_->v4.listen_after_bind(); });
    // ::1 as well where the system has it; 127.0.0.1 alone serves too.
    listeners_->v6.set_address_family(AF_INET6);
    if (listeners_->v6.bind_to_port("::1", bound)) {
        listeners_->threads.emplace_back([this] { listeners_->v6.listen_after_bind(); });
    }
    return bound;
}

void StudioServer::stop() {
    listeners_->v4.stop();
    listeners_->v6.stop();
    for (std::thread& thread : listeners_->threads) thread.join();
    listeners_->threads.clear();
}

int run_studio(const cxxopts::ParseResult& result, const std::filesystem::path& program, std::ostream& out,
               std::ostream& err) {
    Studio studio;
    studio.start = read_studio_start(result);
    studio.start.program_name = program.filename().empty() ? "svggenerator" : program.filename().string();
    // A start that could never draw is refused at once, as a run is.
    try {
        studio_arguments(studio.start, merged_settings(studio.start, nullptr));
    } catch (const SettingError& e) {
        throw cxxopts::exceptions::parsing(e.what());
    }
    read_project_file(studio.start.json_file);
    const PartLibrary parts = load_run_library(program, result.count("parts") > 0 ? result["parts"].as<std::string>() : "");
    studio.parts = &parts;
    studio.token = make_token();

    stop_gracefully_on_interrupt();
    StudioServer server(studio);
    const int wanted = result["port"].as<int>();
    if (wanted < 0 || wanted > 65535) {
        throw cxxopts::exceptions::parsing("Option " + quoted_option("port") + " must be a port from 0 to 65535");
    }
    const int port = server.start(wanted);
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/?token=" + studio.token;
    out << "Studio: " << address << std::endl;
    if (result["open"].as<bool>()) open_in_browser(address, err);
    while (!interrupt_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.stop();
    return 0;
}
