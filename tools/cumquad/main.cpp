// cumquad / cumquad2: the integral of the absolute value of a model H-alpha profile (an emission
// Gaussian minus a blueshifted absorption Gaussian) from 5000 to 8000 angstrom. Prints the
// running integral where the profile first shows net emission, then the total, and waits for a
// key. The two programs differ only in the Gaussian constants (settings.hpp) and in the table of
// the settings file that sets them.
#include "cli.hpp"
#include "quadrature.hpp"
#include "settings.hpp"

#include <cstdio>
#include <string>

namespace {

using namespace cumquad;

#if CUMQUAD_SECOND
constexpr const char* kProgram = "cumquad2";
constexpr const char* kTable = "line_profile2";
constexpr const LineProfile& kProfile = kCumquad2;
#else
constexpr const char* kProgram = "cumquad";
constexpr const char* kTable = "line_profile";
constexpr const LineProfile& kProfile = kCumquad;
#endif

const char* const kHelp =
    "Integral of |emission Gaussian - absorption Gaussian| of an H-alpha profile, 5000-8000 A.\n"
    "Reads and writes no file. Prints the running integral where the profile first shows net\n"
    "emission, then the total, and waits for a key before it ends.\n";

int run(const LineProfile& profile) {
    const Quadrature q = integrate(profile, kRange);
    if (q.emission) std::printf("\nInt @ %f: %f\n\n", q.emission_start, q.emission_integral);
    std::printf("\nInt: %f\n done\n", q.total);
    snphot::pause_for_key();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string help = std::string(kProgram) + ": " + kHelp;
    LineProfile profile = kProfile;
    return snphot::run_program(argc, argv,
                               {kProgram, help.c_str(), {line_profile_table(kTable, profile)}},
                               [&] { return run(profile); });
}
