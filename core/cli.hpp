// What every program of the suite shares at its edges: the command line (--help, --version),
// the pauses for a key, and the one-line diagnostics on standard error.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace snphot {

struct ProgramInfo {
    const char* name; // e.g. "lcbuild-bvri"
    const char* help; // what the program reads and writes, shown by --help
};

// A failure that ends the run: `where` is "file" or "file:line".
class InputError : public std::runtime_error {
  public:
    InputError(std::string where, const std::string& reason)
        : std::runtime_error(reason), where_(std::move(where)) {}
    const std::string& where() const { return where_; }

  private:
    std::string where_;
};

// Runs a program body under the suite's failure contract: --help and --version answer and exit 0,
// any other argument is refused with a usage line and status 2, and an InputError thrown by the
// body becomes one line "program: where: reason" on standard error and status 1.
int run_program(int argc, char** argv, const ProgramInfo& info, const std::function<int()>& body);

// The name of the running program, for diagnostics.
const char* program_name();

// "file:line"
std::string at_line(const std::string& file, long line);

// One warning line "program: where: reason" on standard error; the run goes on.
void warn(const std::string& where, const std::string& reason);

// Waits for a key: reads one character from standard input, returns at end of input too. When
// standard input is a terminal, a prompt on standard error says so.
void pause_for_key();

} // namespace snphot
