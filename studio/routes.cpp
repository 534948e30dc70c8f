#include "studio/routes.hpp"

#include <iostream>
#include <new>

#include "panel/errors.hpp"
#include "panel/project_limits.hpp"
#include "studio/export.hpp"
#include "studio/project_store.hpp"
#include "studio/render.hpp"
#include "studio/request_checks.hpp"
#include "studio/static_files.hpp"
#include "studio/token.hpp"

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

// A refusal with its status, turned into an error response.
struct Refusal {
    int status;
    std::string text;
};

std::string json_text(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

StudioResponse json_response(int status, std::string body) {
    StudioResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

StudioResponse refusal_response(const Refusal& refusal) {
    return json_response(refusal.status, error_body(refusal.text));
}

// The request's body as JSON; bad JSON names where it goes wrong.
template <typename Json>
Json parse_body(const std::string& body) {
    if (auto reason = project_too_large(body)) throw Refusal{400, "the request body is " + *reason};
    try {
        return Json::parse(body);
    } catch (const json::parse_error& e) {
        throw Refusal{400, std::string("the request body is not valid JSON: ") + e.what()};
    }
}

// {"project": {…}, …}: the project object of a request's body.
template <typename Json>
const Json& project_of(const Json& body) {
    if (!body.is_object()) throw Refusal{400, "the request body must be a JSON object"};
    const auto project = body.find("project");
    if (project == body.end()) throw Refusal{400, "the request body has no \"project\""};
    if (!project->is_object()) throw Refusal{400, "\"project\" must be an object"};
    return *project;
}

// The settings a project's "Studio" key gives, over the start's.
template <typename Json>
json settings_of(const Studio& studio, const Json& project) {
    const auto saved = project.find(studio_key);
    if (saved == project.end()) return merged_settings(studio.start, nullptr);
    const json studio_settings = *saved;
    return merged_settings(studio.start, &studio_settings);
}

json part_listing(const PartLibrary* library) {
    json parts = json::array();
    if (library == nullptr) return parts;
    for (const auto& [name, part] : library->parts) {
        json entry{{"name", name}, {"description", part.description}, {"source", part.source}};
        const std::pair<const char*, const std::optional<double>*> sizes[] = {
            {"drill_diameter", &part.drill_diameter},     {"drill_width", &part.drill_width},
            {"drill_height", &part.drill_height},         {"visible_diameter", &part.visible_diameter},
            {"visible_width", &part.visible_width},       {"visible_height", &part.visible_height},
        };
        for (const auto& [key, size] : sizes) {
            if (*size) entry[key] = **size;
        }
        json holes = json::array();
        for (const PartHole& hole : part.holes) {
            if (hole.round) {
                holes.push_back({{"x", hole.x}, {"y", hole.y}, {"diameter", hole.diameter}});
            } else {
                holes.push_back({{"x", hole.x}, {"y", hole.y}, {"width", hole.width}, {"height", hole.height}});
            }
        }
        entry["holes"] = holes;
        parts.push_back(entry);
    }
    return parts;
}

StudioResponse get_project(Studio& studio) {
    ProjectFile file = read_project_file(studio.start.json_file);
    file.project[studio_key] = filled_settings(studio.start, settings_of(studio, file.project));
    ordered_json body;
    body["project"] = std::move(file.project);
    body["etag"] = file.etag;
    body["file"] = studio.start.json_file;
    return json_response(200, body.dump(-1, ' ', false, json::error_handler_t::replace));
}

StudioResponse put_project(Studio& studio, const std::string& text) {
    const auto body = parse_body<ordered_json>(text);
    const ordered_json& project = project_of(body);
    const auto etag = body.find("etag");
    if (etag == body.end() || !etag->is_string()) {
        throw Refusal{400, "the request body has no \"etag\" (text): the etag of the project as it was loaded"};
    }
    // Settings the command line would refuse are not saved.
    studio_arguments(studio.start, settings_of(studio, project));
    try {
        return json_response(200, json_text({{"etag", save_project_file(studio.start.json_file, project,
                                                                            etag->get<std::string>())}}));
    } catch (const SaveConflict& conflict) {
        return json_response(409, json_text({{"error", conflict.what()}, {"etag", conflict.current_etag}}));
    }
}

StudioResponse render(Studio& studio, const std::string& text) {
    const json body = parse_body<json>(text);
    const json& project = project_of(body);
    const Arguments args = studio_arguments(studio.start, settings_of(studio, project));
    const PanelRendering rendering = render_project(project, args, studio.parts);
    json panels = json::object();
    for (const auto& [key, svg] : rendering.panels) panels[key] = svg;
    json warnings = json::array();
    for (const DesignWarning& w : rendering.warnings) {
        warnings.push_back({{"section", w.section}, {"component", w.component}, {"key", w.key}, {"text", w.text}});
    }
    json answer{{"panels", std::move(panels)}, {"warnings", std::move(warnings)}};
    if (args.sheet_width > 0 && args.sheet_height > 0) answer["sheets"] = rendering.sheets;
    return json_response(200, json_text(answer));
}

StudioResponse export_files(Studio& studio, const std::string& text) {
    const json body = parse_body<json>(text);
    const json& project = project_of(body);
    static const PartLibrary no_parts;
    const ExportResult result = export_project(studio.start, project, settings_of(studio, project),
                                               studio.parts != nullptr ? *studio.parts : no_parts, std::cerr);
    return json_response(200, json_text({{"files", result.files},
                                         {"command", result.command},
                                         {"failed_vectorizations", result.failed_vectorizations}}));
}

StudioResponse api(Studio& studio, const StudioRequest& request) {
    const std::string& method = request.method;
    const std::string& path = request.path;
    if (method == "GET" && path == "/api/options") return json_response(200, json_text(settings_listing()));
    if (method == "GET" && path == "/api/parts") return json_response(200, json_text(part_listing(studio.parts)));
    const std::lock_guard<std::mutex> lock(studio.work);
    if (method == "GET" && path == "/api/project") return get_project(studio);
    if (method == "GET" && path == "/api/status") {
        return json_response(200, json_text({{"etag", current_etag(studio.start.json_file)}}));
    }
    if (method == "PUT" && path == "/api/project") return put_project(studio, request.body);
    if (method == "POST" && path == "/api/render") return render(studio, request.body);
    if (method == "POST" && path == "/api/export") return export_files(studio, request.body);
    throw Refusal{404, "no such request: " + method + " " + path};
}

StudioResponse page_file(const StudioRequest& request) {
    if (request.method != "GET" && request.method != "HEAD") throw Refusal{405, "the page's files are only read"};
    const bool page = request.path == "/" || request.path == "/index.html";
    const StaticFile* file = find_static_file(page ? "/index.html" : request.path);
    if (file == nullptr) throw Refusal{404, "no such file: " + request.path};
    StudioResponse response;
    response.content_type = std::string(content_type_of(file->path));
    response.static_body = file->bytes;
    return response;
}

// Who asks: the Host, the Origin of a change, the token.
void check_asker(const Studio& studio, const StudioRequest& request) {
    // A name rebound to 127.0.0.1 by another site arrives with that site's
    // name.
    if (!request.host || !host_allowed(*request.host, studio.port)) {
        throw Refusal{421, "the studio answers only to 127.0.0.1, [::1] and localhost on its own port"};
    }
    const bool reads = request.method == "GET" || request.method == "HEAD";
    if (!reads && request.origin && !origin_allowed(*request.origin, studio.port)) {
        throw Refusal{403, "a change must come from the studio's own page"};
    }
    if (request.path.starts_with("/api/")) {
        if (!request.token_header || !same_token(*request.token_header, studio.token)) {
            throw Refusal{403, "this needs the studio's token in the header X-Studio-Token"};
        }
    } else if (request.path == "/" || request.path == "/index.html") {
        if (!request.token_parameter || !same_token(*request.token_parameter, studio.token)) {
            throw Refusal{403, "the studio's page needs its token: open the address the studio printed"};
        }
    }
}

StudioResponse route(Studio& studio, const StudioRequest& request) {
    check_asker(studio, request);
    if (request.body.size() > max_body_bytes) throw Refusal{413, "the request body is larger than 16 MiB"};
    if (request.path.starts_with("/api/")) return api(studio, request);
    return page_file(request);
}

}  // namespace

std::string error_body(const std::string& text) { return json_text({{"error", text}}); }

namespace {

void add_safety_headers(StudioResponse& response) {
    // The page's address holds the token: no other site learns it from a link.
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("Cache-Control", "no-store");
}

}  // namespace

std::optional<StudioResponse> refuse_request(Studio& studio, const StudioRequest& request) {
    try {
        check_asker(studio, request);
        return std::nullopt;
    } catch (const Refusal& refusal) {
        StudioResponse response = refusal_response(refusal);
        add_safety_headers(response);
        return response;
    }
}

StudioResponse handle_request(Studio& studio, const StudioRequest& request) {
    StudioResponse response;
    try {
        response = route(studio, request);
    } catch (const Refusal& refusal) {
        response = refusal_response(refusal);
    } catch (const SettingError& e) {
        response = json_response(422, error_body(e.what()));
    } catch (const RunError& e) {
        response = json_response(422, error_body(e.what()));
    } catch (const json::exception& e) {
        response = json_response(400, error_body(std::string("the request does not fit: ") + e.what()));
    } catch (const std::bad_alloc&) {
        response = json_response(500, error_body("out of memory"));
    } catch (const std::exception& e) {
        response = json_response(500, error_body(e.what()));
    }
    add_safety_headers(response);
    return response;
}
