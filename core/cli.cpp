#include "cli.hpp"

#include "file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#ifndef SNPHOT_VERSION
#define SNPHOT_VERSION "unknown"
#endif

namespace snphot {

namespace {
const char* current_name = "snphot";
int console_error = 0; // the reason of the first failed flush of standard output

// Flushes standard output, keeping the reason of the first failure for the check at exit.
void flush_console() {
    errno = 0;
    if (std::fflush(stdout) != 0 && console_error == 0) console_error = errno;
}
} // namespace

const char* program_name() {
    return current_name;
}

std::string at_line(const std::string& file, long line) {
    return file + ":" + std::to_string(line);
}

void warn(const std::string& where, const std::string& reason) {
    flush_console();
    std::fprintf(stderr, "%s: %s: %s\n", current_name, where.c_str(), reason.c_str());
}

// At a terminal a pause says what it waits for, on standard error so that the console text stays
// as designed; from a file or a pipe it waits (or returns at the end of input) silently.
void pause_for_key() {
    flush_console();
    if (isatty(STDIN_FILENO)) std::fprintf(stderr, "press Enter to continue");
    (void)std::getchar();
}

namespace {

void refuse_directory(const File& file) {
    struct stat status;
    if (fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode))
        throw RunFailure(file.name(), std::string("cannot read: ") + std::strerror(EISDIR));
}

bool for_reading_only(const char* mode) {
    return mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

// A console that could not take all of the run's text fails the run; its one line comes from
// the check at exit.
struct ConsoleFailed {};

// The commit point of a run: its outputs replace the earlier ones only when everything,
// the console included, has been written.
void commit_run() {
    flush_console();
    if (std::ferror(stdout)) throw ConsoleFailed{};
    commit_outputs();
}

} // namespace

// The outputs are committed before the last pause, so that a run ended while it waits for its
// last key (an interrupt, a closed terminal) keeps its results.
int finish_after_key(const char* last_text) {
    std::fputs(last_text, stdout);
    commit_run();
    pause_for_key();
    return 0;
}

File open_checked(const std::string& name, const char* mode) {
    File file(name, mode);
    if (!file) {
        const char* why = std::strerror(errno);
        throw RunFailure(name, std::string("cannot open: ") + why);
    }
    if (for_reading_only(mode)) refuse_directory(file);
    return file;
}

File open_if_present(const std::string& name) {
    File file(name, "r");
    if (!file) {
        if (errno == ENOENT) return file;
        throw RunFailure(name, std::string("cannot open: ") + std::strerror(errno));
    }
    refuse_directory(file);
    return file;
}

namespace {

// A program started with standard input, output or error closed would open its first file on
// that descriptor, and its console text would end up inside the file: such a descriptor is
// opened on /dev/null before anything else.
void open_standard_descriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = open("/dev/null", O_RDWR);
        if (opened != fd && opened >= 0) close(opened);
    }
}

// The console is a product too (for some programs the only one): what could not be written to
// it turns a finished run into a failed one.
int check_standard_output(int status) {
    flush_console();
    if (!std::ferror(stdout)) return status;
    const int error = console_error;
    std::fprintf(stderr, "%s: standard output: cannot write: %s\n", current_name,
                 error ? std::strerror(error) : "write error");
    return status == 0 ? 1 : status;
}

// The command line: --help or --version alone, or any of --settings FILE and --print-settings.
struct Arguments {
    bool help = false;
    bool version = false;
    bool print_settings = false;
    std::optional<std::string> settings_file;
};

bool parse_arguments(int argc, char** argv, Arguments& args) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "--version")) {
        (first == "--help" ? args.help : args.version) = true;
        return true;
    }
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--print-settings" && !args.print_settings) {
            args.print_settings = true;
        } else if (arg == "--settings" && !args.settings_file && a + 1 < argc) {
            args.settings_file = argv[++a];
        } else {
            return false;
        }
    }
    return true;
}

// What follows every program's own help: the command line, the settings it takes, its exit
// statuses and examples (the sections of its manual page).
std::string usage_and_settings(const ProgramInfo& info) {
    const std::string name = info.name;
    std::string text =
        "Usage: " + name + " [--settings FILE] [--print-settings] | --help | --version\n";
    if (info.settings.empty()) {
        text += "Settings none: " + name + " reads no table of the settings file snphot.toml.\n";
    } else {
        text += "Settings";
        for (const SettingsTable& table : info.settings) text += " [" + table.name + "]";
        text += " of snphot.toml in the working directory, or of FILE,\n"
                "        over the built-in values; --print-settings prints the settings a run "
                "would use.\n";
    }
    text += "\nOptions:\n"
            "  --settings FILE    read the settings from FILE instead of ./snphot.toml\n"
            "  --print-settings   print the settings a run would use, in the syntax of the file,\n"
            "                     and stop without touching a file\n"
            "  --help             print this help and stop\n"
            "  --version          print the version and stop\n"
            "\nFiles are read and written in the working directory under fixed names; the\n"
            "reference of every file is files.md in the documentation of snphot\n"
            "(/usr/share/doc/snphot when installed from the package).\n"
            "\nExit status:\n"
            "  0  the run is complete\n"
            "  1  an input is missing, unreadable or malformed, or an output cannot be written:\n"
            "     one line \"" +
            name +
            ": file[:line]: reason\" on standard error; earlier outputs are left as\n"
            "     they were\n"
            "  2  an argument that is not one of the options above\n" +
            info.more_statuses +
            "\nExamples:\n"
            "  cd my-supernova && " +
            name +
            " </dev/null\n"
            "      run without waiting for a key, on ./snphot.toml if there is one\n"
            "  " +
            name +
            " --print-settings >snphot.toml\n"
            "      start a settings file from the built-in values\n";
    return text;
}

void print_settings_of(const ProgramInfo& info, const std::string& file,
                       const std::vector<SettingsTable>& tables) {
    if (tables.empty()) {
        std::printf("# %s reads no table of the settings file.\n", info.name);
        return;
    }
    std::printf("# Settings of %s: %s.\n", info.name,
                file.empty() ? "the built-in values"
                             : (file + " over the built-in values").c_str());
    print_settings(stdout, tables);
}

int run_with_settings(const Arguments& args, const ProgramInfo& info,
                      const std::function<int()>& body) {
    std::vector<SettingsTable> tables = info.settings;
    const std::string* requested = args.settings_file ? &*args.settings_file : nullptr;
    const std::string file = read_settings_file(requested, tables);
    if (args.print_settings) {
        print_settings_of(info, file, tables);
        return 0;
    }
    if (!file.empty() && !tables.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: settings from %s\n", current_name, file.c_str());
    }
    return body();
}

// A body that returns has ended its run, whatever status it gives (snfit's unconverged fit
// writes its outputs with status 3); one that throws has failed, and its outputs are dropped.
// Beyond the suite's own failures, any exception (memory exhausted included) ends the run with
// one line and status 1, never with an abort.
int run_body(const std::function<int()>& body) {
    try {
        const int status = body();
        commit_run();
        return status;
    } catch (const RunFailure& error) {
        discard_outputs();
        warn(error.where(), error.what());
    } catch (const ConsoleFailed&) {
        discard_outputs();
    } catch (const std::bad_alloc&) {
        discard_outputs();
        flush_console();
        std::fprintf(stderr, "%s: out of memory\n", current_name);
    } catch (const std::exception& error) {
        discard_outputs();
        flush_console();
        std::fprintf(stderr, "%s: %s\n", current_name, error.what());
    }
    return 1;
}

int answer(const Arguments& args, const ProgramInfo& info) {
    if (args.help)
        std::printf("%s%s", info.help, usage_and_settings(info).c_str());
    else
        std::printf("%s %s\n", info.name, SNPHOT_VERSION);
    return 0;
}

} // namespace

int run_program(int argc, char** argv, const ProgramInfo& info, const std::function<int()>& body) {
    current_name = info.name;
    open_standard_descriptors();
    Arguments args;
    int status;
    if (!parse_arguments(argc, argv, args)) {
        std::fprintf(stderr,
                     "usage: %s [--settings FILE] [--print-settings] | --help | --version\n",
                     info.name);
        status = 2;
    } else if (args.help || args.version) {
        status = answer(args, info);
    } else {
        status = run_body([&] { return run_with_settings(args, info, body); });
    }
    return check_standard_output(status);
}

} // namespace snphot
