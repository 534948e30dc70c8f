#include "test_support.hpp"

#include "settings/windows_api.hpp"
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

// Commands are quoted for sh with the program's own quoting, which the
// vectorization tests check on its own.
#include "panel/vectorize.hpp"
#include "settings/utf8_path.hpp"

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("svggen-test-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(path_);
}

fs::path TempDir::operator/(const std::string& name) const { return path_ / utf8_path(name); }

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}


// Absolute from the start: under Wine the build's "/..." paths name drive Z:
// only while the current folder is there.
fs::path program_file() {
    static const fs::path file = fs::absolute(SVGGENERATOR_BINARY);
    return file;
}

fs::path source_dir() {
    static const fs::path dir = fs::absolute(SOURCE_DIR);
    return dir;
}

#ifdef _WIN32
// The C runtime's rules for one argument: inside double quotes, backslashes
// count only before a quote.
std::string shell_argument(const std::string& text) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char ch : text) {
        if (ch == '\\') {
            ++backslashes;
        } else if (ch == '"') {
            quoted.append(backslashes + 1, '\\');
            backslashes = 0;
        } else {
            backslashes = 0;
        }
        quoted += ch;
    }
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}
#else
std::string shell_argument(const std::string& text) { return quote_path(text); }
#endif

#ifdef _WIN32
namespace {

std::wstring wide(const std::string& utf8) {
    std::wstring text(utf8.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                                           static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

HANDLE inheritable_file(const fs::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Started directly rather than through cmd, which would expand a "%NAME%"
// in an argument and has no escape for it between quotes.
int run_windows_program(const std::string& command_line, const fs::path& cwd, const fs::path& out,
                        const fs::path& err) {
    HANDLE in = inheritable_file("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out_file = inheritable_file(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err_file = inheritable_file(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out_file;
    startup.hStdError = err_file;
    PROCESS_INFORMATION process{};
    std::wstring line = wide(command_line);
    DWORD status = static_cast<DWORD>(-1);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {in, out_file, err_file}) CloseHandle(handle);
    return static_cast<int>(status);
}

}  // namespace
#endif

namespace {

std::string program_call(const std::vector<std::string>& args) {
    std::string command = shell_argument(program_file().string());
    for (const auto& arg : args) {
        command += ' ';
        command += shell_argument(arg);
    }
    return command;
}

}  // namespace

RunResult run_program(const std::vector<std::string>& args, const fs::path& cwd) {
    TempDir capture;
    std::string command = program_call(args);
#ifdef _WIN32
    const int status = run_windows_program(command, cwd, capture / "out", capture / "err");
#else
    command = "cd " + quote_path(cwd.string()) + " && " + command;
    command += " >";
    command += quote_path((capture / "out").string());
    command += " 2>";
    command += quote_path((capture / "err").string());
    command += " </dev/null";
    const int raw_status = std::system(command.c_str());
    const int status = WIFEXITED(raw_status) ? WEXITSTATUS(raw_status) : -1;
#endif
    RunResult result;
    result.status = status;
    result.raw_out = read_text(capture / "out");
    result.raw_err = read_text(capture / "err");
    result.out = unix_lines(result.raw_out);
    result.err = unix_lines(result.raw_err);
    return result;
}

std::string platform_quotes(std::string text) {
    if (!running_on_windows) {
        return text;
    }
    const std::string open = "\u2018", close = "\u2019";
    std::string plain;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, open.size(), open) == 0 || text.compare(at, close.size(), close) == 0) {
            plain += '\'';
            at += open.size();
        } else {
            plain += text[at++];
        }
    }
    return plain;
}

std::string unix_lines(const std::string& text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    }
    return lines;
}

std::string native_lines(const std::string& text) {
    std::string lines;
    for (char ch : text) {
        if (ch == '\n') {
            lines += native_newline;
        } else {
            lines += ch;
        }
    }
    return lines;
}

std::string native_path(const std::string& path) { return utf8_path(path).make_preferred().string(); }

void write_text(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string read_text(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool parses_as_xml(const fs::path& path) {
    if (!can_check_xml) {
        throw std::logic_error("xmllint cannot run here; check can_check_xml first");
    }
    std::string command = "xmllint --noout ";
    command += quote_path(path.string());
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

int count_of(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

std::string project_with(const std::string& sections) {
    std::string project = R"({"Generic": {"width": 20, "height": 10})";
    if (!sections.empty()) {
        project += ", " + sections;
    }
    return project + "}";
}

#ifdef _WIN32
RunResult run_program_after(const std::string&, const std::vector<std::string>&, const fs::path&,
                            const std::string&) {
    throw std::logic_error("run_program_after needs a POSIX shell");
}
#else
RunResult run_program_after(const std::string& prefix, const std::vector<std::string>& args, const fs::path& cwd,
                            const std::string& stdout_to) {
    TempDir capture;
    const std::string out = quote_path((capture / "out").string());
    const std::string status = quote_path((capture / "status").string());
    std::string program = "(" + prefix + program_call(args) + ") 2>" + quote_path((capture / "err").string()) +
                          " </dev/null";
    std::string command = "cd " + quote_path(cwd.string()) + " && ";
    if (stdout_to.empty()) {
        command += "{ " + program + "; echo $? >" + status + "; } | cat >" + out;
    } else {
        command += program + " >" + quote_path(stdout_to) + "; echo $? >" + status;
    }
    std::system(command.c_str());
    RunResult result;
    const std::string code = read_text(capture / "status");
    // The shell reports a program ended by a signal as 128 + its number.
    result.status = code.empty() ? -1 : std::stoi(code);
    if (result.status > 128) result.status = -1;
    result.out = read_text(capture / "out");
    result.err = read_text(capture / "err");
    return result;
}
#endif

namespace {

#ifndef _WIN32
// Written under a name of its own and renamed, as test processes of one
// suite start side by side and share it.
std::string write_pinned_fontconfig() {
    const fs::path folder = fs::temp_directory_path() / "svggenerator-test-fontconfig";
    fs::create_directories(folder);
    const fs::path file = folder / "fonts.conf";
    const fs::path scratch = folder / ("fonts.conf." + std::to_string(getpid()));
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        out << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
            << "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
            << "  <cachedir>" << (folder / "cache").string() << "</cachedir>\n</fontconfig>\n";
    }
    fs::rename(scratch, file);
    setenv("FONTCONFIG_FILE", file.c_str(), 1);
    return file.string();
}
#endif

}  // namespace

const std::string& pinned_fontconfig_file() {
#ifdef _WIN32
    static const std::string file;
#else
    static const std::string file = write_pinned_fontconfig();
#endif
    return file;
}

// Pinned before main, so that no test sees the machine's own preference.
[[maybe_unused]] static const std::string& pinned_at_start = pinned_fontconfig_file();
