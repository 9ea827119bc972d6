// Helpers of the end-to-end tests: a fresh scratch directory per test, input files written into
// it, a built program run there with standard input at end of file, and the files read back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

struct Result {
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

class Scratch {
  public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Names of the files in the directory, sorted.
    std::vector<std::string> files() const;

    // Runs bin/<program> in the directory with the given arguments and standard input from
    // /dev/null (or from `input` when given).
    Result run(const std::string& program, const std::string& args = "",
               const std::string* input = nullptr) const;

  private:
    std::filesystem::path dir_;
};

// Path of a built program of the suite.
std::string program_path(const std::string& program);

// Joins lines, each followed by "\n".
std::string lines(const std::vector<std::string>& rows);

} // namespace e2e
