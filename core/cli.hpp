// What every program of the suite shares at its edges: the command line (--help, --version,
// --settings, --print-settings), the settings file, the pauses for a key, and the one-line
// diagnostics on standard error.
#pragma once

#include "settings_file.hpp"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace snphot {

struct ProgramInfo {
    const char* name; // e.g. "lcbuild-bvri"
    const char* help; // what the program reads and writes, shown by --help
    // The tables of the settings file that the program reads, bound to its settings.
    std::vector<SettingsTable> settings = {};
    // Exit statuses beyond 0, 1 and 2, for --help ("  3  ...\n" lines), if any.
    const char* more_statuses = "";
};

// A failure that ends the run, whatever its cause: an input missing or malformed, an output that
// cannot be created or written. `where` is "file" or "file:line".
class RunFailure : public std::runtime_error {
  public:
    RunFailure(std::string where, const std::string& reason)
        : std::runtime_error(reason), where_(std::move(where)) {}
    const std::string& where() const { return where_; }

  private:
    std::string where_;
};

// Runs a program body under the suite's failure contract: --help and --version answer and exit 0,
// any other argument than those and --settings FILE, --print-settings is refused with a usage line
// and status 2, and a RunFailure thrown by the body becomes one line "program: where: reason" on
// standard error and status 1.
//
// Before the body runs, the settings file (FILE of --settings, or snphot.toml of the working
// directory when there is one) is read into the program's tables, and a run on a file says so in
// one line "program: settings from FILE" on standard error; a file that is wrong ends the run with
// status 1 before the body has touched anything. --print-settings prints the program's tables in
// the syntax of the file instead of running the body.
int run_program(int argc, char** argv, const ProgramInfo& info, const std::function<int()>& body);

// The name of the running program, for diagnostics.
const char* program_name();

// "file:line"
std::string at_line(const std::string& file, long line);

// One warning line "program: where: reason" on standard error; the run goes on.
void warn(const std::string& where, const std::string& reason);

// The end of a run that waits for a key before it ends: prints the program's last console text,
// waits, and gives the status of a complete run (0).
int finish_after_key(const char* last_text);

// Waits for a key: reads one character from standard input, returns at end of input too. When
// standard input is a terminal, a prompt on standard error says so.
void pause_for_key();

} // namespace snphot
