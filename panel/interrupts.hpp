#pragma once

#include <filesystem>
#include <string>

// What a stopped run (Ctrl-C, SIGTERM, Ctrl-Break, a closed console) cleans
// up before it exits with 128 + the signal (130, 143): the Inkscape it
// started, its scratch files, and any file it moved aside, which goes back.
// The handler runs at any point of the run, so what it needs is kept in
// fixed storage it can read without allocating or locking.

// Installs the handlers; a signal that the run was started ignoring (a
// background job of a script) stays ignored.
void install_interrupt_handlers();

// For a program that serves until it is stopped: the first interrupt only
// sets interrupt_requested(), so that the program finishes the work at hand
// and ends by itself; a second one stops it as it stops a run.
void stop_gracefully_on_interrupt();
bool interrupt_requested();

// Names what the run is doing, for the line an interrupt prints ("drawing
// box_Main"); cut to a few hundred bytes.
void set_interrupted_activity(const std::string& activity);

// A scratch file that an interrupt removes for as long as the guard lives.
class ScratchGuard {
public:
    explicit ScratchGuard(const std::filesystem::path& path);
    ~ScratchGuard();
    ScratchGuard(const ScratchGuard&) = delete;
    ScratchGuard& operator=(const ScratchGuard&) = delete;

private:
    int slot_;
};

// A complete file moved aside to a scratch name while a conversion writes a
// new one in its place, so that neither an interrupted conversion loses it
// nor a failed one leaves it to pass for its result. An interrupt puts it
// back; otherwise it is removed with the guard.
class MovedAside {
public:
    // Moves `path` to `aside` when it exists; throws std::filesystem_error
    // when it cannot.
    MovedAside(const std::filesystem::path& path, const std::filesystem::path& aside);
    ~MovedAside();
    MovedAside(const MovedAside&) = delete;
    MovedAside& operator=(const MovedAside&) = delete;

private:
    std::filesystem::path path_;
    std::filesystem::path aside_;
    int slot_ = -1;
    bool moved_ = false;
};

// The process group of a started command, stopped by an interrupt; 0: none.
void watch_command_group(long group);

// Removes files in `folder` named as the scratch files of a run whose
// process is no longer running (a run killed outright leaves them).
void remove_stale_scratch_files(const std::filesystem::path& folder);
