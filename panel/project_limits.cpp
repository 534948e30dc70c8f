#include "panel/project_limits.hpp"

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

// Counts as the parser reads; returning false stops the parse at once.
class Counter {
public:
    std::optional<std::string> reason;

    bool null() { return count(); }
    bool boolean(bool) { return count(); }
    bool number_integer(json::number_integer_t) { return count(); }
    bool number_unsigned(json::number_unsigned_t) { return count(); }
    bool number_float(json::number_float_t, const json::string_t&) { return count(); }
    bool string(json::string_t&) { return count(); }
    bool binary(json::binary_t&) { return count(); }
    bool key(json::string_t&) { return count(); }
    bool start_object(std::size_t) { return open(); }
    bool start_array(std::size_t) { return open(); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    std::size_t values_ = 0;
    std::size_t depth_ = 0;

    bool count() {
        if (++values_ > max_project_values) {
            reason = "more than " + std::to_string(max_project_values) + " values; no box design is that large";
            return false;
        }
        return true;
    }
    bool open() {
        if (++depth_ > max_project_depth) {
            reason = "values nested more than " + std::to_string(max_project_depth) +
                     " deep; a box design nests 3 deep";
            return false;
        }
        return count();
    }
    bool close() {
        --depth_;
        return true;
    }
};

}  // namespace

std::optional<std::string> project_too_large(const std::string& text) {
    Counter counter;
    // Not strict: text after the top-level value is ignored, as by the real parse.
    json::sax_parse(text.begin(), text.end(), &counter, nlohmann::detail::input_format_t::json, false);
    return counter.reason;
}
