#include "studio/static_files.hpp"

#include <algorithm>

const StaticFile* find_static_file(std::string_view path) {
    const StaticFile* end = embedded_files + embedded_file_count;
    const StaticFile* found =
        std::find_if(embedded_files, end, [&](const StaticFile& file) { return file.path == path; });
    return found == end ? nullptr : found;
}

std::string_view content_type_of(std::string_view path) {
    // ES modules load only with a JavaScript type.
    if (path.ends_with(".js") || path.ends_with(".mjs")) return "text/javascript; charset=utf-8";
    if (path.ends_with(".html")) return "text/html; charset=utf-8";
    if (path.ends_with(".css")) return "text/css; charset=utf-8";
    if (path.ends_with(".svg")) return "image/svg+xml";
    if (path.ends_with(".png")) return "image/png";
    if (path.ends_with(".json")) return "application/json";
    return "application/octet-stream";
}
