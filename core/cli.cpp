#include "cli.hpp"

#include "file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef SNPHOT_VERSION
#define SNPHOT_VERSION "unknown"
#endif

namespace snphot {

namespace {
const char* current_name = "snphot";
}

const char* program_name() {
    return current_name;
}

std::string at_line(const std::string& file, long line) {
    return file + ":" + std::to_string(line);
}

void warn(const std::string& where, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s: %s\n", current_name, where.c_str(), reason.c_str());
}

void pause_for_key() {
    std::fflush(stdout);
    (void)std::getchar();
}

File open_checked(const std::string& name, const char* mode) {
    File file(name, mode);
    if (!file) {
        const char* why = std::strerror(errno);
        throw InputError(name, std::string("cannot open: ") + why);
    }
    return file;
}

void close_written(File& file) {
    const std::string name = file.name();
    const bool failed = std::ferror(file.get()) != 0;
    errno = 0;
    if (file.close() != 0 || failed) {
        throw InputError(name, std::string("cannot write: ") +
                                   (errno ? std::strerror(errno) : "write error"));
    }
}

int run_program(int argc, char** argv, const ProgramInfo& info, const std::function<int()>& body) {
    current_name = info.name;
    if (argc > 1) {
        const std::string arg = argv[1];
        if (argc == 2 && arg == "--help") {
            std::printf("%s", info.help);
            return 0;
        }
        if (argc == 2 && arg == "--version") {
            std::printf("%s %s\n", info.name, SNPHOT_VERSION);
            return 0;
        }
        std::fprintf(stderr, "usage: %s [--help | --version]\n", info.name);
        return 2;
    }
    try {
        return body();
    } catch (const InputError& error) {
        warn(error.where(), error.what());
        return 1;
    }
}

} // namespace snphot
