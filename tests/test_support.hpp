#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temp folder, removed at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // `name` is UTF-8, as the program's own names are.
    std::filesystem::path operator/(const std::string& name) const;

private:
    std::filesystem::path path_;
};

struct RunResult {
    int status = -1;
    std::string out;  // line ends as "\n" on every platform
    std::string err;
    std::string raw_out;  // the bytes as written
    std::string raw_err;
};

// The program under test and the source tree, as absolute paths.
std::filesystem::path program_file();
std::filesystem::path source_dir();

// Runs the program with `args` inside `cwd`, with empty input, as a user
// would: through sh, or on Windows started directly with the C runtime's
// argument quoting.
RunResult run_program(const std::vector<std::string>& args, const std::filesystem::path& cwd);

// Runs the program as run_program does, in a subshell that first runs
// `prefix` (a limit, a trap, or a wrapper command the program's command
// line follows). Standard output goes to `stdout_to` when given, otherwise
// through a pipe, which no file size limit of the prefix reaches. A program
// ended by a signal has status -1.
RunResult run_program_after(const std::string& prefix, const std::vector<std::string>& args,
                            const std::filesystem::path& cwd, const std::string& stdout_to = "");
// (POSIX only: on Windows it throws, and the tests that need it skip.)

// The line end that text-mode files and the console get on this platform.
#ifdef _WIN32
inline const std::string native_newline = "\r\n";
#else
inline const std::string native_newline = "\n";
#endif

// The settings report's line for the default Inkscape command: the Windows
// install path, typed with doubled backslashes, or the plain command name.
#ifdef _WIN32
inline const std::string default_inkscape_line = "Inkscape path: C:\\\\Progra~1\\\\Inkscape\\\\bin\\\\inkscape.com";
#else
inline const std::string default_inkscape_line = "Inkscape path: inkscape";
#endif

// `text` with the option library's typographic quotes made plain ones on
// Windows, where the library uses those.
std::string platform_quotes(std::string text);

// `text` with every "\r\n" made "\n".
std::string unix_lines(const std::string& text);

// `text` with every "\n" written as this platform's line end.
std::string native_lines(const std::string& text);

// A path written with "/" as it is spelled on this platform ("\" on Windows).
std::string native_path(const std::string& path);

// One argument of a command line: quoted for sh, or on Windows by the C
// runtime's rules, which cmd leaves alone but for "%NAME%".
std::string shell_argument(const std::string& text);

// Wine cannot run the Linux tools and POSIX features some checks need; those
// checks say so and are skipped there.
#ifdef _WIN32
constexpr bool running_on_windows = true;
#else
constexpr bool running_on_windows = false;
#endif

void write_text(const std::filesystem::path& path, const std::string& text);
std::string read_text(const std::filesystem::path& path);

// True when xmllint accepts the file as well-formed XML. xmllint is a Linux
// program that Windows builds (and Wine) cannot run: there the check is left
// to the Linux run of the same tests, which writes the same drawings.
bool parses_as_xml(const std::filesystem::path& path);
constexpr bool can_check_xml = !running_on_windows;

// The number of non-overlapping occurrences of `part` in `text`.
int count_of(const std::string& text, const std::string& part);

// A project with a 20 x 10 cm box and the given sections (JSON members text,
// without the surrounding braces; may be empty).
std::string project_with(const std::string& sections);

// Fontconfig's setup for the tests and everything they start (the program and
// Inkscape): it knows only DejaVu, so that a drawing compared with Inkscape's
// means the same whatever fonts the machine prefers. FONTCONFIG_FILE names it
// from before the first test on; a test that changes it sets it back to this.
// Empty on Windows, which has no fontconfig.
const std::string& pinned_fontconfig_file();
