// Command-line front end: reads the options, reports the settings and runs
// the output passes.
#include <cxxopts.hpp>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>

#include "kicad/board_listing.hpp"
#include "kicad/footprint_map.hpp"
#include "panel/errors.hpp"
#include "panel/interrupts.hpp"
#include "panel/memory_reserve.hpp"
#include "panel/output_names.hpp"
#include "run/draw_all.hpp"
#include "run/test_piece_file.hpp"
#include "panel/vectorize.hpp"
#include "parts/listing.hpp"
#include "parts/location.hpp"
#include "settings/arguments.hpp"
#include "settings/command_line.hpp"
#include "settings/options.hpp"
#include "settings/passes.hpp"
#include "settings/utf8_path.hpp"
#include "settings/windows_api.hpp"
#include "vector/builtin_vectorizer.hpp"
#ifdef SVGGENERATOR_HAVE_STUDIO
#include "studio/server.hpp"
#endif

namespace {

// Exit statuses: a refused command line or no layer selected is 1; a project
// file or output folder that cannot be used is 2.
constexpr int status_usage = 1;
constexpr int status_run_failed = 2;
// With --strict: the run completed, but some file did not vectorize or
// convert to DXF.
constexpr int status_vectorization_failed = 3;

int current_year() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local.tm_year + 1900;
}

int run(int argc, char** argv) {
    install_interrupt_handlers();
    const int year = current_year();
    const std::string program_name =
        argc > 0 && argv[0] != nullptr ? utf8_path(argv[0]).filename().string() : "svggenerator";
    cxxopts::Options options = make_options(program_name, year);
    const cxxopts::ParseResult result = parse_command_line(options, argc, argv);
    if (result.count("help") > 0) {
        std::cout << options.help() << std::endl;
        return 0;
    }
    const std::filesystem::path program = program_file(argc > 0 ? argv[0] : nullptr);
    if (result.count("list-parts") > 0 && result["list-parts"].as<bool>()) {
        print_part_list(load_run_library(program, result.count("parts") > 0 ? result["parts"].as<std::string>() : ""),
                        std::cout);
        return 0;
    }
    if (result.count("list-board") > 0) {
        const FootprintMap shipped = load_shipped_footprint_map(program);
        print_board_list(result["list-board"].as<std::string>(), &shipped, std::cout);
        return 0;
    }
    if (result["studio"].as<bool>()) {
#ifdef SVGGENERATOR_HAVE_STUDIO
        return run_studio(result, program, std::cout, std::cerr);
#else
        throw cxxopts::exceptions::parsing("this build of the program has no studio (--studio)");
#endif
    }
    Arguments args = read_arguments(result);
    print_banner(std::cout);
    print_settings_report(args, std::cout);
    if (!print_advisories(args, std::cout)) {
        return status_usage;
    }

    const PartLibrary parts = load_run_library(program, args.parts);
    SystemCommandRunner commands;
    RunContext context{std::cout, std::cerr, commands};
    context.parts = &parts;
    const FootprintMap footprints = load_shipped_footprint_map(program);
    context.footprints = &footprints;
    BuiltinConverter builtin;
    if (args.vectorizer == "builtin") {
        context.converter = &builtin;
    }
    if (!args.json_file.empty()) {
        for (const Pass& pass : output_passes(args)) {
            draw_all(args.json_file, args.output_directory, pass.text, pass.components, pass.outline, pass.recess,
                     pass.screw_size_top, pass.screw_size_bottom, pass.screw_head_diameter, args, context);
        }
    }
    if (args.test_piece) {
        write_test_piece(args.json_file.empty() ? utf8_path(args.output_directory)
                                                : output_folder(args.json_file, args.output_directory),
                         args, context);
    }
    args.output_directory = output_path(args.json_file, args.output_directory);
    std::cout << "Done. Output path: " << args.output_directory << std::endl;
    // A report that never reached the user (a full disk behind a redirect) is
    // no success.
    if (!std::cout) {
        std::cerr << "Error: cannot write the report to standard output" << std::endl;
        return status_run_failed;
    }
    if (args.strict && (context.failed_vectorizations > 0 || context.failed_dxf_files > 0)) {
        if (context.failed_vectorizations > 0) {
            std::cerr << "Vectorization failed for " << context.failed_vectorizations << " of "
                      << context.vectorizations << " files" << std::endl;
        }
        if (context.failed_dxf_files > 0) {
            std::cerr << "DXF failed for " << context.failed_dxf_files << " of " << context.dxf_files << " files"
                      << std::endl;
        }
        return status_vectorization_failed;
    }
    return 0;
}

#ifdef _WIN32
// Everything printed is UTF-8 (names from the project file and the command
// line); the console shows it as such while the program runs, and gets its
// own code page back afterwards.
class Utf8Console {
public:
    Utf8Console() : previous_(GetConsoleOutputCP()) { SetConsoleOutputCP(CP_UTF8); }
    ~Utf8Console() {
        if (previous_ != 0) SetConsoleOutputCP(previous_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    UINT previous_;
};
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    const Utf8Console console;
#endif
    try {
        keep_memory_reserve(std::size_t{16} << 20);
        return run(argc, argv);
    } catch (const cxxopts::exceptions::exception& e) {
        std::cerr << "Error: " << e.what() << "\n\n" << "Use --help for usage information.\n";
        return status_usage;
    } catch (const std::bad_alloc&) {
        std::cerr << "Error: out of memory; the project or its drawings are too large for this computer" << std::endl;
        return status_run_failed;
    } catch (const std::exception& e) {
        std::cerr << "Error: " << e.what() << std::endl;
        return status_run_failed;
    }
}
