// A FILE* that closes itself, so that no file leaks and none is used after a failed open.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

namespace snphot {

class File {
  public:
    File() = default;
    File(const std::string& name, const char* mode)
        : file_(std::fopen(name.c_str(), mode)), name_(name) {}
    // Takes an open stream that the file `name` stands for in diagnostics.
    File(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept
        : file_(std::exchange(other.file_, nullptr)), name_(std::move(other.name_)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            close();
            file_ = std::exchange(other.file_, nullptr);
            name_ = std::move(other.name_);
        }
        return *this;
    }
    ~File() { close(); }

    explicit operator bool() const { return file_ != nullptr; }
    std::FILE* get() const { return file_; }
    const std::string& name() const { return name_; }

    int close() {
        int status = 0;
        if (file_) status = std::fclose(std::exchange(file_, nullptr));
        return status;
    }

  private:
    std::FILE* file_ = nullptr;
    std::string name_;
};

// Opens a file or throws a RunFailure naming it (see cli.hpp). A file opened for reading must
// be one that can be read: a directory is refused here, before any output has been touched,
// rather than failing at its first read.
File open_checked(const std::string& name, const char* mode);

// Opens an input that may be missing: an empty File when there is no such file; any other
// failure (no permission, a directory) throws as open_checked does.
File open_if_present(const std::string& name);

// Makes a written file ready to be read back from its start: everything written is flushed and
// checked first, since rewinding forgets a write error (a full disk) that happened on the way.
void rewind_written(File& file);

// Closes a file that was written; a write that failed on the way (a full disk) throws an
// RunFailure naming the file, so that a lost table never passes for a finished one.
void close_written(File& file);

// ---- The outputs of a run ----
//
// An output is written to a temporary file beside it (".NAME.XXXXXX" in the same directory) and
// replaces the earlier file only once the whole run has succeeded: a run that fails, for any
// reason at any point, leaves every earlier output byte-identical and no temporary behind (the
// temporaries are removed at a failure and also when a signal ends the process). The replaced
// file keeps its permissions; a write-protected output is refused as before. A file written and
// read back within the run is read back from its temporary. An output that is no regular file (a
// link to /dev/null, a pipe) cannot be replaced: it is written directly.

// Opens the output `name` for writing ("w") or for writing and reading back ("w+"). The File
// stands for `name` in diagnostics. Throws a RunFailure naming it when it cannot be opened.
File open_output(const std::string& name, const char* mode = "w");

// The commit point of a run: every output opened since the last commit replaces its earlier
// file. Each must have been closed with close_written first.
void commit_outputs();

// The end of a failed run: the temporaries are removed and the earlier outputs stay as they are.
void discard_outputs();

} // namespace snphot
