#include "panel/vectorize.hpp"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

CommandResult SystemCommandRunner::run(const std::string& command_line) {
    CommandResult result;
    // Inkscape chats on every run; collect it and show it only on failure.
    FILE* pipe = popen((command_line + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        result.status = -1;
        result.output = "the command processor could not be started";
        return result;
    }
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, count);
    }
    int status = pclose(pipe);
#ifdef _WIN32
    result.status = status;
#else
    result.status = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : (status == 0 ? -1 : status);
#endif
    return result;
}

void SystemCommandRunner::pause() { std::this_thread::sleep_for(std::chrono::seconds(2)); }

fs::path vector_path_for(const fs::path& svg_path) {
    fs::path vector = svg_path;
    vector.replace_filename(svg_path.stem().string() + "_vector.svg");
    return vector;
}

std::string quote_path(const std::string& path) {
#ifdef _WIN32
    return "\"" + path + "\"";
#else
    std::string quoted = "'";
    for (char ch : path) {
        if (ch == '\'') {
            quoted += "'\\''";
        } else {
            quoted += ch;
        }
    }
    return quoted + "'";
#endif
}

std::string inkscape_command_line(const std::string& inkscape, const std::string& vector_path,
                                  const std::string& svg_path) {
#ifdef _WIN32
    // cmd keeps everything between the double quotes of the action list together.
    const std::string vector_argument = vector_path;
#else
    // Leave the double quotes of the action list around the single-quoted path,
    // so that the shell joins the three pieces into one argument.
    std::string vector_argument = "\"";
    vector_argument += quote_path(vector_path);
    vector_argument += '"';
#endif
    return inkscape + " --actions=\"select-all; object-to-path; export-filename:" + vector_argument +
           "; export-do; file-close\" " + quote_path(svg_path);
}

namespace {

// Inkscape reads a path beginning with "-" as an option.
std::string as_argument(const fs::path& path) {
    std::string text = path.string();
    if (!text.empty() && text[0] == '-') {
        text = (fs::path(".") / path).string();
    }
    return text;
}

void run_inkscape(const std::string& section, const fs::path& svg_path, const Arguments& args,
                  RunContext& context) {
    const fs::path vector_path = vector_path_for(svg_path);
    const std::string vector_text = as_argument(vector_path);
    // Inkscape splits its action list at every ';' and has no escape for it.
    if (vector_text.find(';') != std::string::npos) {
        throw std::runtime_error("Inkscape cannot export to a path holding ';': " + vector_text +
                                 " (the plain file is kept)");
    }
    // A vector file left from an earlier run would pass for this run's result.
    fs::remove(vector_path);
    const CommandResult result =
        context.commands.run(inkscape_command_line(args.inkscape_path, vector_text, as_argument(svg_path)));
    if (result.status != 0) {
        context.err << "Inkscape command failed." << std::endl;
        if (!result.output.empty()) {
            context.err << result.output << std::flush;
        }
        return;
    }
    context.commands.pause();
    std::error_code ec;
    if (!fs::is_regular_file(vector_path, ec) || fs::file_size(vector_path, ec) == 0 || ec) {
        if (!result.output.empty()) {
            context.err << result.output << std::flush;
        }
        throw std::runtime_error("Inkscape did not write the vector file " + vector_path.string() +
                                 " (the plain file is kept)");
    }
    if (!args.keep_files) {
        fs::remove(svg_path);
    }
    context.out << "Vectorization success for " << section << "." << std::endl;
}

}  // namespace

void vectorize_file(const std::string& section, const std::string& suffix, const fs::path& svg_path,
                    const Arguments& args, RunContext& context) {
    context.out << "Starting vectorization for " << section << suffix << ". This may take some time..."
                << std::endl;
    try {
        run_inkscape(section, svg_path, args, context);
    } catch (const std::exception& e) {
        context.err << "Vectorization failed: " << e.what() << std::endl;
    }
}
