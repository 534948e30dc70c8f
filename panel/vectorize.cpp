#include "panel/vectorize.hpp"

#include "panel/output_file.hpp"
#include "settings/utf8_path.hpp"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <new>
#include <stdexcept>
#include <thread>

#include "panel/interrupts.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

namespace fs = std::filesystem;

namespace {

std::string read_start(const fs::path& path, std::size_t limit) {
    std::ifstream file(path, std::ios::binary);
    std::string text(limit, '\0');
    file.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (file && file.peek() != std::char_traits<char>::eof()) {
        text += "\n[... more output cut ...]\n";
    }
    return text;
}

#ifndef _WIN32
// Runs the line through /bin/sh in a process group of its own, which an
// interrupt can stop as a whole (the shell, Inkscape and what it starts),
// and waits for the shell. Returns the status as system() would.
int run_in_own_group(const std::string& command_line) {
    sigset_t interrupts, previous;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigaddset(&interrupts, SIGHUP);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attributes, 0);
    char shell[] = "/bin/sh";
    char dash_c[] = "-c";
    std::string line = command_line;
    char* argv[] = {shell, dash_c, line.data(), nullptr};
    // An interrupt between the start and the watch would miss the command.
    sigprocmask(SIG_BLOCK, &interrupts, &previous);
    posix_spawnattr_setsigmask(&attributes, &previous);
    // Outside the terminal's foreground group a read from the terminal would
    // stop the command for good; it gets no input, as it needs none.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, shell, &files, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (failed == 0) watch_command_group(static_cast<long>(pid));
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (failed != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) == -1) {
        if (errno != EINTR) {
            status = -1;
            break;
        }
    }
    watch_command_group(0);
    return status;
}
#endif

}  // namespace

// The output goes to a file rather than a pipe: reading a pipe would wait for
// every process that inherited it, and would hold all of it in memory.
CommandResult SystemCommandRunner::run(const std::string& command_line, const fs::path& capture_file) {
    std::string redirected = command_line + " >" + quote_path(capture_file.string()) + " 2>&1";
#ifdef _WIN32
    // cmd /c drops the first and the last double quote of a line that starts
    // with one; an outer pair keeps a quoted Inkscape path and the rest intact.
    redirected = "\"" + redirected + "\"";
#endif
    const ScratchGuard capture_guard(capture_file);
#ifdef _WIN32
    const int status = std::system(redirected.c_str());
#else
    const int status = run_in_own_group(redirected);
#endif
    CommandResult result;
#ifdef _WIN32
    result.status = status;
#else
    result.status = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : (status == 0 ? -1 : status);
#endif
    result.output = read_start(capture_file, max_captured_output);
    std::error_code ignored;
    fs::remove(capture_file, ignored);
    return result;
}

void SystemCommandRunner::pause() { std::this_thread::sleep_for(std::chrono::seconds(2)); }

fs::path vector_path_for(const fs::path& svg_path) {
    // Built as a path, not as text: the name may hold any character.
    fs::path name = svg_path.stem();
    name += "_vector.svg";
    fs::path vector = svg_path;
    vector.replace_filename(name);
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

// Inkscape reads a path beginning with "-" as an option, and one whose first
// part holds ":" as a URI; "./" in front keeps both a plain relative path.
std::string as_argument(const fs::path& path) {
    std::string text = path.string();
    const std::string first_part = path.empty() ? std::string() : path.begin()->string();
    if (path.is_relative() && ((!text.empty() && text[0] == '-') || first_part.find(':') != std::string::npos)) {
        text = (fs::path(".") / path).string();
    }
    return text;
}

}  // namespace

void InkscapeConverter::convert(const std::string& section, const fs::path& svg_path, const Arguments& args,
                                RunContext& context) {
    try {
        convert_with_scratch(section, svg_path, args, context);
    } catch (const fs::filesystem_error& e) {
        // The paths in the library's message may be this run's scratch
        // files, which the user never named; the plain file is what failed.
        throw std::runtime_error("cannot convert " + svg_path.string() + ": " + e.code().message() +
                                 " (the plain file is kept)");
    }
}

void InkscapeConverter::convert_with_scratch(const std::string& section, const fs::path& svg_path,
                                             const Arguments& args, RunContext& context) {
    const fs::path vector_path = vector_path_for(svg_path);
    const std::string vector_text = as_argument(vector_path);
    // Inkscape splits its action list at every ';' and has no escape for it.
    if (vector_text.find(';') != std::string::npos) {
        throw std::runtime_error("Inkscape cannot export to a path holding ';': " + vector_text +
                                 " (the plain file is kept)");
    }
#ifdef _WIN32
    // cmd expands %NAME% even between double quotes and offers no escape
    // there. The vector path holds the plain file's folder and name too.
    if (vector_text.find('%') != std::string::npos) {
        throw std::runtime_error("the command processor cannot be handed a path holding '%': " + vector_text +
                                 " (the plain file is kept)");
    }
#endif
    // A vector file left from an earlier run would pass for this run's
    // result; it is moved aside while Inkscape writes there, put back if the
    // run is interrupted, and removed once this conversion has ended.
    const MovedAside earlier(vector_path, scratch_path(svg_path.parent_path(), "earlier-vector"));
    const fs::path capture_file = scratch_path(svg_path.parent_path(), "inkscape-output");
    // The shell's ">" would follow a link left at that name.
    fs::remove(capture_file);
    const CommandResult result = context.commands.run(
        inkscape_command_line(args.inkscape_path, vector_text, as_argument(svg_path)), capture_file);
    if (result.status != 0) {
        // Whatever a failed run left there may be cut short; only the plain
        // file is a drawing to trust.
        std::error_code ignored;
        fs::remove(vector_path, ignored);
        ++context.failed_vectorizations;
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

void vectorize_file(const std::string& section, const std::string& suffix, const fs::path& svg_path,
                    const Arguments& args, RunContext& context) {
    context.out << "Starting vectorization for " << section << suffix << ". This may take some time..."
                << std::endl;
    set_interrupted_activity("converting " + svg_path.filename().string() + " to paths");
    ++context.vectorizations;
    try {
        if (context.converter != nullptr) {
            context.converter->convert(section, svg_path, args, context);
        } else {
            InkscapeConverter().convert(section, svg_path, args, context);
        }
    } catch (const std::bad_alloc&) {
        // Out of memory ends the run as it does everywhere else.
        throw;
    } catch (const std::exception& e) {
        ++context.failed_vectorizations;
        context.err << "Vectorization failed: " << e.what() << std::endl;
    }
}

void remove_stale_vector_file(const fs::path& svg_path, const std::string& json_file, RunContext& context) {
    const fs::path vector_path = vector_path_for(svg_path);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(vector_path, ec)) || fs::equivalent(vector_path, utf8_path(json_file), ec)) {
        return;
    }
    if (!fs::remove(vector_path, ec) || ec) {
        context.err << "Warning: cannot remove " << vector_path.string() << ", left by an earlier run: "
                    << ec.message() << "; it does not show the new drawing" << std::endl;
        return;
    }
    context.out << "Removed " << vector_path.filename().string()
                << ", left by an earlier run: it showed the old drawing" << std::endl;
}
