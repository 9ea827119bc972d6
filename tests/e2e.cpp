#include "e2e.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

namespace fs = std::filesystem;

std::string program_path(const std::string& program) {
    return std::string(SNPHOT_TEST_BIN_DIR) + "/" + program;
}

Scratch::Scratch() {
    std::string pattern = (fs::temp_directory_path() / "snphot-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch directory");
    dir_ = pattern;
}

Scratch::~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void Scratch::write(const std::string& name, const std::string& content) const {
    std::ofstream file(dir_ / name, std::ios::binary);
    file << content;
}

std::string Scratch::read(const std::string& name) const {
    std::ifstream file(dir_ / name, std::ios::binary);
    if (!file) return "<missing " + name + ">";
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Scratch::exists(const std::string& name) const {
    return fs::exists(dir_ / name);
}

std::vector<std::string> Scratch::files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Result Scratch::run(const std::string& program, const std::string& args,
                    const std::string* input) const {
    const fs::path out = dir_ / ".stdout", err = dir_ / ".stderr", in = dir_ / ".stdin";
    std::string stdin_path = "/dev/null";
    if (input) {
        std::ofstream(in, std::ios::binary) << *input;
        stdin_path = in.string();
    }
    const std::string command = "cd '" + dir_.string() + "' && '" + program_path(program) + "' " +
                                args + " <'" + stdin_path + "' >'" + out.string() + "' 2>'" +
                                err.string() + "'";
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = read(".stdout");
    result.err = read(".stderr");
    fs::remove(out);
    fs::remove(err);
    fs::remove(in);
    return result;
}

std::string lines(const std::vector<std::string>& rows) {
    std::string text;
    for (const auto& row : rows) text += row + "\n";
    return text;
}

} // namespace e2e
