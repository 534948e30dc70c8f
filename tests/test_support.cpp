#include "test_support.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

// Commands are quoted for sh with the program's own quoting, which the
// vectorization tests check on its own.
#include "panel/vectorize.hpp"

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("svggen-test-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}


namespace {

std::string program_call(const std::vector<std::string>& args) {
    std::string command = quote_path(SVGGENERATOR_BINARY);
    for (const auto& arg : args) {
        command += ' ';
        command += quote_path(arg);
    }
    return command;
}

}  // namespace

RunResult run_program(const std::vector<std::string>& args, const fs::path& cwd) {
    TempDir capture;
    std::string command = "cd ";
    command += quote_path(cwd.string());
    command += " && ";
    command += program_call(args);
    command += " >";
    command += quote_path((capture / "out").string());
    command += " 2>";
    command += quote_path((capture / "err").string());
    command += " </dev/null";
    const int status = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = read_text(capture / "out");
    result.err = read_text(capture / "err");
    return result;
}

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
