#include "cli.hpp"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

// Runs a body under the failure contract; returns the status and what went to standard error.
std::pair<int, std::string> run_throwing(const std::function<int()>& body) {
    char name[] = "lcsub";
    char* argv[] = {name, nullptr};
    ::testing::internal::CaptureStderr();
    const int status = snphot::run_program(1, argv, {"lcsub", "help\n"}, body);
    return {status, ::testing::internal::GetCapturedStderr()};
}

} // namespace

// Whatever escapes a program's body ends the run with one line and status 1, never an abort.
TEST(RunProgram, AnyExceptionEndsTheRunWithOneLineAndStatusOne) {
    EXPECT_EQ(run_throwing([]() -> int { throw std::bad_alloc(); }),
              std::make_pair(1, std::string("lcsub: out of memory\n")));
    EXPECT_EQ(run_throwing([]() -> int { throw std::length_error("vector too long"); }),
              std::make_pair(1, std::string("lcsub: vector too long\n")));
    EXPECT_EQ(
        run_throwing([]() -> int { throw snphot::RunFailure("V-gorbeS.txt:3", "not a row"); }),
        std::make_pair(1, std::string("lcsub: V-gorbeS.txt:3: not a row\n")));
    EXPECT_EQ(run_throwing([] { return 3; }), std::make_pair(3, std::string()));
}
