// Real runs of the program stopped by SIGINT and SIGTERM at several points:
// while drawing, after a file is complete, while Inkscape converts.
#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "test_support.hpp"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A section of many components whose console lines fill the pipe the test
// never reads, so that the run stops in the middle of drawing it, its scratch
// file already begun.
std::string long_section(const std::string& key) {
    std::string text = "\"" + key + "\": {";
    const std::string name(200, 'N');
    for (int i = 0; i < 3000; ++i) {
        if (i > 0) text += ", ";
        text += "\"c" + std::to_string(1000 + i) + "\": {\"id\": " + std::to_string(i) + ", \"call_name\": \"" +
                name + "\", \"location_x\": " + std::to_string(2 + i % 50) + ", \"location_y\": " +
                std::to_string(2 + (i / 50) % 50) + ", \"drill_diameter\": 0.2, \"visible_width\": 0.9, " +
                "\"visible_height\": 0.9}";
    }
    return text + "}";
}

const std::string small_section(const std::string& key) {
    return "\"" + key + "\": {\"k\": {\"id\": 0, \"call_name\": \"Knob\", \"location_x\": 3, \"location_y\": 3, " +
           "\"drill_diameter\": 0.7, \"visible_diameter\": 1.5}}";
}

struct Started {
    pid_t pid = -1;
    int out_pipe = -1;  // the program's standard output, left unread
};

Started start(const std::vector<std::string>& args, const fs::path& err_file) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Whatever started the tests (a script's background job) may ignore the
    // signals; the program must meet them as a terminal sends them.
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<std::string> words = {program_file().string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    Started started;
    const int failed = posix_spawn(&started.pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipe_ends[1]);
    if (failed != 0) throw std::runtime_error("cannot start the program");
    started.out_pipe = pipe_ends[0];
    return started;
}

bool wait_for(const std::function<bool()>& ready) {
    for (int i = 0; i < 10000; ++i) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

bool has_scratch_file(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().starts_with(".svggenerator-")) return true;
    }
    return false;
}

std::vector<std::string> run_args(const TempDir& dir, const std::vector<std::string>& more) {
    std::vector<std::string> args = {"-j", (dir / "box.json").string(), "-o", (dir / "out").string(), "-m", "3",
                                     "-b", "50", "-r", "-n", "10"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

struct Point {
    const char* name;
    std::string sections;
    bool converts;            // with a fake Inkscape that sleeps before it writes
    const char* activity;     // what the line says was interrupted
    std::vector<const char*> complete;  // files of a full run that must stay as they were
};

TEST(Interrupts, EachSignalAtEachPointKeepsCompleteFilesAndLeavesNoScratch) {
    const std::vector<Point> points = {
        {"drawing the first file", long_section("a_Main") + ", " + small_section("b_Main"), false,
         "drawing a_Main.svg", {}},
        {"drawing after a complete file", small_section("a_Main") + ", " + long_section("b_Main"), false,
         "drawing b_Main.svg", {"a_Main.svg"}},
        {"converting", small_section("a_Main"), true, "converting a_Main.svg to paths",
         {"a_Main.svg", "a_Main_vector.svg"}},
    };
    for (const Point& point : points) {
        for (const int signal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(std::string(point.name) + (signal == SIGINT ? " SIGINT" : " SIGTERM"));
            TempDir dir;
            write_text(dir / "box.json", project_with(point.sections));
            const fs::path folder = dir / "out" / "box";
            const fs::path started_mark = dir / "inkscape-started";
            const fs::path late_mark = dir / "inkscape-finished";
            const fs::path inkscape = dir / "slow-inkscape.sh";
            // Copies the plain file as Inkscape would write it, after a while.
            write_text(inkscape, "#!/bin/sh\n: > '" + started_mark.string() +
                                     "'\nexport_file=${1#*export-filename:}\n"
                                     "export_file=${export_file%; export-do; file-close}\nsleep 1\n"
                                     ": > '" + late_mark.string() + "'\ncp \"$2\" \"$export_file\"\n");
            fs::permissions(inkscape, fs::perms::owner_exec, fs::perm_options::add);
            const std::vector<std::string> vector_args =
                point.converts ? std::vector<std::string>{"--keep-files", "-i", inkscape.string()}
                               : std::vector<std::string>{"--vectorize=false"};
            // The complete files of an earlier run must survive the interrupted one.
            if (!point.complete.empty()) {
                std::vector<std::string> small = run_args(dir, {"--vectorize=false"});
                write_text(dir / "small.json", project_with(small_section("a_Main")));
                small[1] = (dir / "small.json").string();
                ASSERT_EQ(run_program(small, dir.path()).status, 0);
                fs::create_directories(folder);
                fs::rename(dir / "out" / "small" / "a_Main.svg", folder / "a_Main.svg");
            }
            if (point.converts) {
                write_text(folder / "a_Main_vector.svg", "<svg>the earlier complete vector file</svg>\n");
            }
            std::vector<std::pair<std::string, std::string>> before;
            for (const char* name : point.complete) before.emplace_back(name, read_text(folder / name));

            const Started run = start(run_args(dir, vector_args), dir / "err.txt");
            const bool reached = point.converts ? wait_for([&] { return fs::exists(started_mark); })
                                                : wait_for([&] { return has_scratch_file(folder); });
            ASSERT_TRUE(reached);
            // Let the drawing fill the pipe and stop there.
            if (!point.converts) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            kill(run.pid, signal);
            int status = 0;
            waitpid(run.pid, &status, 0);
            close(run.out_pipe);

            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), signal == SIGINT ? 130 : 143);
            const std::string err = read_text(dir / "err.txt");
            EXPECT_EQ(err, std::string("Interrupted by ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") + " while " +
                               point.activity +
                               "; the files completed before are kept, this run's scratch files are removed\n");
            EXPECT_FALSE(has_scratch_file(folder));
            for (const auto& [name, text] : before) EXPECT_EQ(read_text(folder / name), text) << name;
            if (point.converts) {
                // Inkscape was stopped with the run: it never gets to write.
                std::this_thread::sleep_for(std::chrono::milliseconds(1300));
                EXPECT_FALSE(fs::exists(late_mark));
                EXPECT_EQ(read_text(folder / "a_Main_vector.svg"), before[1].second);
                EXPECT_FALSE(has_scratch_file(folder));
            }
        }
    }
}

TEST(Interrupts, ScratchFilesOfEndedRunsAreRemovedOthersKept) {
    TempDir dir;
    write_text(dir / "box.json", project_with(small_section("a_Main")));
    const fs::path folder = dir / "out" / "box";
    fs::create_directories(folder);
    // No process has so high an id; process 1 runs as long as the system does.
    const std::vector<std::string> ended = {".svggenerator-999999999.partial",
                                            ".svggenerator-999999998.inkscape-output"};
    const std::vector<std::string> kept = {".svggenerator-1.partial", ".svggenerator-x.partial",
                                           ".svggenerator-999999999", "notes.txt"};
    for (const auto& name : ended) write_text(folder / name, "left by a killed run");
    for (const auto& name : kept) write_text(folder / name, "not ours to remove");
    ASSERT_EQ(run_program(run_args(dir, {"--vectorize=false"}), dir.path()).status, 0);
    for (const auto& name : ended) EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
}

}  // namespace

#endif
