#include "file.hpp"

#include "cli.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace snphot {

namespace {

[[noreturn]] void fail_to_write(const std::string& name, int error) {
    throw RunFailure(name, std::string("cannot write: ") +
                               (error ? std::strerror(error) : "write error"));
}

[[noreturn]] void fail_to_open(const std::string& name, const std::string& reason) {
    throw RunFailure(name, "cannot open: " + reason);
}

// An output waiting for the end of the run: its temporary, the file it replaces, and whether it
// was written and closed in full.
struct Pending {
    std::string temporary;
    std::string target;
    std::string name; // as the program names it, for diagnostics
    std::FILE* stream = nullptr;
    bool written = false;
};

std::vector<Pending> pending;

// The list is changed with the signals that remove the temporaries held back, so that a signal
// never finds it half changed.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_BLOCK, &all, &saved_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t saved_;
};

// What each signal did before the temporaries were looked after.
struct sigaction earlier_actions[NSIG];

// A signal that ends the process (an interrupt at a pause, a closed pipe, a crash) takes the
// temporaries with it, then gets the handling it had before (the default end of the process, or a
// sanitizer's report), delivered as soon as this handler returns. unlink is safe in a handler.
extern "C" void remove_temporaries_and_end(int signal_number) {
    for (const Pending& p : pending) unlink(p.temporary.c_str());
    sigaction(signal_number, &earlier_actions[signal_number], nullptr);
    raise(signal_number);
}

void remove_temporaries_on_signals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal_number :
         {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGXFSZ, SIGABRT, SIGSEGV, SIGBUS, SIGFPE}) {
        struct sigaction& earlier = earlier_actions[signal_number];
        sigaction(signal_number, nullptr, &earlier);
        if (earlier.sa_handler == SIG_IGN) continue; // a signal ignored stays ignored
        struct sigaction action = {};
        action.sa_handler = remove_temporaries_and_end;
        sigemptyset(&action.sa_mask);
        sigaction(signal_number, &action, nullptr);
    }
}

mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file an output replaces: the output itself, or the regular file a link to it names.
std::string resolved(const std::string& name) {
    struct stat link;
    if (lstat(name.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return name;
    char real[PATH_MAX];
    return realpath(name.c_str(), real) ? std::string(real) : name;
}

} // namespace

void rewind_written(File& file) {
    errno = 0;
    if (std::fflush(file.get()) != 0 || std::ferror(file.get())) fail_to_write(file.name(), errno);
    std::rewind(file.get());
}

void close_written(File& file) {
    const std::string name = file.name();
    const auto entry = std::find_if(pending.begin(), pending.end(),
                                    [&](const Pending& p) { return p.stream == file.get(); });
    const bool failed = std::ferror(file.get()) != 0;
    errno = 0;
    if (file.close() != 0 || failed) fail_to_write(name, errno);
    if (entry != pending.end()) {
        entry->written = true;
        entry->stream = nullptr;
    }
}

File open_output(const std::string& name, const char* mode) {
    struct stat status;
    const bool exists = stat(name.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) return open_checked(name, mode);
    if (exists && access(name.c_str(), W_OK) != 0) fail_to_open(name, std::strerror(errno));

    const std::string target = resolved(name);
    std::string temporary = directory_of(target) + "/." + base_of(target) + ".XXXXXX";
    SignalsHeld held;
    remove_temporaries_on_signals();
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        fail_to_open(name, std::string("cannot create a temporary file beside it: ") +
                               std::strerror(errno));
    std::FILE* stream = nullptr;
    if (fchmod(fd, exists ? status.st_mode & 07777 : new_file_mode()) != 0 ||
        !(stream = fdopen(fd, mode))) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        fail_to_open(name, std::strerror(error));
    }
    pending.push_back({temporary, target, name, stream, false});
    return File(stream, name);
}

void commit_outputs() {
    for (const Pending& p : pending)
        if (!p.written)
            throw std::logic_error("the output " + p.name + " was not closed before the commit");
    SignalsHeld held;
    while (!pending.empty()) {
        const Pending& p = pending.front();
        if (std::rename(p.temporary.c_str(), p.target.c_str()) != 0) fail_to_write(p.name, errno);
        pending.erase(pending.begin());
    }
}

void discard_outputs() {
    SignalsHeld held;
    for (const Pending& p : pending) unlink(p.temporary.c_str());
    pending.clear();
}

} // namespace snphot
