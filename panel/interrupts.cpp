#include "panel/interrupts.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include "settings/windows_api.hpp"
#else
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

using Char = fs::path::value_type;

// Longer paths are not watched; the next run's sweep of stale scratch files
// removes what an interrupt could not.
constexpr std::size_t max_path_chars = 4096;
constexpr std::size_t max_activity = 400;

enum SlotState : int { free_slot = 0, remove_file = 1, put_back = 2 };

struct Slot {
    std::atomic<int> state{free_slot};
    std::array<Char, max_path_chars> path{};  // the scratch file
    std::array<Char, max_path_chars> to{};    // where a moved file goes back
};

std::array<Slot, 16> slots;
std::atomic<long> command_group{0};
std::array<std::array<char, max_activity + 1>, 2> activities{};
std::atomic<int> current_activity{-1};
std::atomic<bool> stopping{false};
// A server that stops by itself on the first interrupt; the second one stops
// it the hard way.
std::atomic<bool> graceful{false};
std::atomic<bool> stop_asked{false};

bool copy_path(std::array<Char, max_path_chars>& to, const fs::path& path) {
    const auto& native = path.native();
    if (native.size() >= max_path_chars) return false;
    std::copy(native.begin(), native.end(), to.begin());
    to[native.size()] = 0;
    return true;
}

int take_slot(SlotState state, const fs::path& path, const fs::path& to) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
        Slot& slot = slots[i];
        if (slot.state.load() != free_slot) continue;
        if (!copy_path(slot.path, path) || !copy_path(slot.to, to)) return -1;
        slot.state.store(state);
        return static_cast<int>(i);
    }
    return -1;
}

void free_slot_at(int slot) {
    if (slot >= 0) slots[static_cast<std::size_t>(slot)].state.store(free_slot);
}

// Everything below, up to the handlers, runs inside a signal handler: only
// calls that are safe there.
void write_error(const char* text) {
#ifdef _WIN32
    _write(2, text, static_cast<unsigned>(std::strlen(text)));
#else
    const std::size_t length = std::strlen(text);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(2, text + done, length - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
#endif
}

#ifndef _WIN32
void pause_briefly() {
    timespec step{0, 50 * 1000 * 1000};
    nanosleep(&step, nullptr);
}

// Asks the command's whole process group to end, gives it two seconds, then
// ends what is left of it; the file it writes must not appear afterwards.
void stop_command() {
    const long group = command_group.load();
    if (group <= 0) return;
    const pid_t pid = static_cast<pid_t>(group);
    kill(-pid, SIGTERM);
    for (int i = 0; i < 40; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != 0) break;
        pause_briefly();
    }
    kill(-pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    // What else ran in the group may still be writing; give it a moment to die.
    pause_briefly();
}
#endif

void clean_up() {
    for (Slot& slot : slots) {
        const int state = slot.state.load();
#ifdef _WIN32
        if (state == remove_file) DeleteFileW(slot.path.data());
        if (state == put_back) MoveFileExW(slot.path.data(), slot.to.data(), MOVEFILE_REPLACE_EXISTING);
#else
        if (state == remove_file) unlink(slot.path.data());
        if (state == put_back) rename(slot.path.data(), slot.to.data());
#endif
    }
}

void report(const char* what) {
    write_error("Interrupted by ");
    write_error(what);
    const int active = current_activity.load();
    if (active >= 0) {
        write_error(" while ");
        write_error(activities[static_cast<std::size_t>(active)].data());
    }
    write_error("; the files completed before are kept, this run's scratch files are removed\n");
}

[[noreturn]] void stop_run(const char* what, int status) {
#ifndef _WIN32
    stop_command();
#endif
    clean_up();
    report(what);
    _exit(status);
}

#ifdef _WIN32
BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (graceful.load() && !stop_asked.exchange(true)) return TRUE;
    if (stopping.exchange(true)) return TRUE;
    // Inkscape is attached to the same console and gets the event itself.
    if (event == CTRL_C_EVENT) stop_run("Ctrl-C", 130);
    stop_run(event == CTRL_BREAK_EVENT ? "Ctrl-Break" : "closing the console", 143);
}
#else
extern "C" void on_signal(int signal) {
    if (graceful.load() && !stop_asked.exchange(true)) return;
    if (stopping.exchange(true)) return;
    if (signal == SIGINT) stop_run("SIGINT", 130);
    if (signal == SIGHUP) stop_run("SIGHUP", 129);
    stop_run("SIGTERM", 143);
}

void install(int signal) {
    struct sigaction action {};
    struct sigaction previous {};
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) return;
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGHUP);
    sigaction(signal, &action, nullptr);
}
#endif

long own_pid() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

bool process_is_running(long pid) {
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// The process id in a scratch file's name ".svggenerator-<pid>.<what>"; 0
// for any other name.
long scratch_owner(std::string_view name) {
    constexpr std::string_view prefix = ".svggenerator-";
    if (!name.starts_with(prefix)) return 0;
    long pid = 0;
    std::size_t at = prefix.size();
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9' && pid < 100000000; ++at) {
        pid = pid * 10 + (name[at] - '0');
    }
    return at > prefix.size() && at < name.size() && name[at] == '.' ? pid : 0;
}

}  // namespace

void install_interrupt_handlers() {
#ifdef _WIN32
    SetConsoleCtrlHandler(on_console_event, TRUE);
#else
    install(SIGINT);
    install(SIGTERM);
    install(SIGHUP);
#endif
}

void stop_gracefully_on_interrupt() { graceful.store(true); }

bool interrupt_requested() { return stop_asked.load(); }

void set_interrupted_activity(const std::string& activity) {
    // Written to the buffer the handler is not reading, then made current.
    const int next = current_activity.load() == 0 ? 1 : 0;
    auto& buffer = activities[static_cast<std::size_t>(next)];
    const std::size_t length = std::min(activity.size(), max_activity);
    std::memcpy(buffer.data(), activity.data(), length);
    buffer[length] = '\0';
    current_activity.store(next);
}

ScratchGuard::ScratchGuard(const fs::path& path) : slot_(take_slot(remove_file, path, {})) {}

ScratchGuard::~ScratchGuard() { free_slot_at(slot_); }

MovedAside::MovedAside(const fs::path& path, const fs::path& aside) : path_(path), aside_(aside) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path_, ec))) return;
    fs::remove(aside_);
    // Watched before it moves: an interrupt in between finds no file at
    // `aside` and leaves `path` as it is.
    slot_ = take_slot(put_back, aside_, path_);
    fs::rename(path_, aside_, ec);
    if (ec) {
        free_slot_at(slot_);
        throw fs::filesystem_error("cannot move the earlier file aside", path_, aside_, ec);
    }
    moved_ = true;
}

MovedAside::~MovedAside() {
    if (moved_) {
        std::error_code ignored;
        fs::remove(aside_, ignored);
    }
    free_slot_at(slot_);
}

void watch_command_group(long group) { command_group.store(group); }

void remove_stale_scratch_files(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator entries(folder, ec);
    if (ec) return;
    const long me = own_pid();
    for (const fs::directory_entry& entry : entries) {
        const long owner = scratch_owner(entry.path().filename().string());
        if (owner <= 0 || owner == me || process_is_running(owner)) continue;
        std::error_code ignored;
        if (!entry.is_directory(ignored)) fs::remove(entry.path(), ignored);
    }
}
