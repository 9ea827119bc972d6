// bandtab: the V Rc Ic B magnitudes of the comparison stars, carried over from their g r i
// catalogue magnitudes by the forward band transformation, written as the assignment statements
// of the transformation listing "szuro.txt" and shown on the console.
#include "cli.hpp"
#include "file.hpp"
#include "listing.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
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
    "Reads   no file (the g r i catalogue is built in: tools/bandtab/catalogue.hpp)\n"
    "Writes  szuro.txt, the statements TV[k]=...; TR[k]=...; TI[k]=...; TB[k]=...;\n"
    "        and shows the same statements on the console.\n"
    "Waits for a key before it ends.\n"
    "Usage: bandtab [--help | --version]\n";

// Writes the listing file; false when it could not be created or written, with the reason.
bool write_listing_file(const Listing& listing, std::string& reason) {
    File file(kListingFile, "w");
    if (!file) {
        reason = std::string("cannot create: ") + std::strerror(errno);
        return false;
    }
    print_listing(file.get(), listing, kFileLayout);
    if (std::ferror(file.get()) || file.close() != 0) {
        reason = std::string("cannot write: ") + std::strerror(errno);
        return false;
    }
    return true;
}

int run() {
    const Listing listing = johnson_cousins_catalogue(catalogue);
    std::string reason;
    const bool written = write_listing_file(listing, reason);
    print_listing(stdout, listing, kConsoleLayout);
    std::printf("\n\n");
    if (!written) throw InputError(kListingFile, reason);
    pause_for_key();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return snphot::run_program(argc, argv, {"bandtab", kHelp}, run);
}
