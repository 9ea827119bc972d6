// bandtab: the V Rc Ic B magnitudes of the comparison stars, carried over from their g r i
// catalogue magnitudes by the forward band transformation, written as the assignment statements
// of the transformation listing "szuro.txt" and shown on the console.
#include "cli.hpp"
#include "file.hpp"
#include "listing.hpp"

#include <cstdio>
#include <optional>
#include <string>

namespace {

using namespace snphot;
using namespace bandtab;

constexpr const char* kListingFile = "szuro.txt";

// The file's lines start with three blanks and end their entries with eight; the console's
// entries end with four. The file has no final line end.
constexpr ListingLayout kFileLayout = {
    "\n   ",
    {"TV[%d]=%f;        ", "TR[%d]=%f;        ", "TI[%d]=%f;        ", "TB[%d]=%f;        "}};
constexpr ListingLayout kConsoleLayout = {
    "\n", {"TV[%d]=%f;    ", "TR[%d]=%f;    ", "TI[%d]=%f;    ", "TB[%d]=%f;    "}};

constexpr const char* kHelp =
    "bandtab: the comparison-star catalogue of the light-curve builders, carried from g r i into\n"
    "V Rc Ic B by the forward band transformation.\n"
    "Reads   no file (the g r i catalogue is [comparison] of the settings file, by default the\n"
    "        built-in one)\n"
    "Writes  szuro.txt, the statements TV[k]=...; TR[k]=...; TI[k]=...; TB[k]=...;\n"
    "        and shows the same statements on the console.\n"
    "Waits for a key before it ends.\n";

// Writes the listing file; a failure is kept to be reported after the console listing, which
// does not depend on the file.
std::optional<RunFailure> write_listing_file(const Listing& listing) {
    try {
        File file = open_output(kListingFile);
        print_listing(file.get(), listing, kFileLayout);
        close_written(file);
    } catch (const RunFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

int run(const snphot::ComparisonCatalogue& catalogue) {
    const Listing listing = johnson_cousins_catalogue(stars_of(catalogue));
    const std::optional<RunFailure> failure = write_listing_file(listing);
    print_listing(stdout, listing, kConsoleLayout);
    std::printf("\n\n");
    if (failure) throw *failure;
    return finish_after_key("");
}

} // namespace

int main(int argc, char** argv) {
    snphot::ComparisonCatalogue catalogue;
    return snphot::run_program(argc, argv,
                               {"bandtab", kHelp, {snphot::comparison_table(catalogue)}},
                               [&] { return run(catalogue); });
}
