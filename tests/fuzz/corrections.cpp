// starcal's correction files "g-korr.txt" ... : lines "JD Z 0 S", of which starcal takes the
// first few; read here both with starcal's limit and to the end of the file.
#include "fuzz_support.hpp"
#include "starcal/calibration.hpp"
#include "starcal/settings.hpp"

#include <climits>
#include <cstdint>

namespace {

void read(const std::uint8_t* data, std::size_t size, int max_lines) {
    fuzz::InputStream in(data, size);
    fuzz::accepted([&] {
        const starcal::CorrectionTable table =
            starcal::read_corrections(in.get(), "g-korr.txt", max_lines);
        if (table.nights() > static_cast<std::size_t>(max_lines))
            fuzz::finding("more nights than lines read");
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    read(data, size, starcal::kCorrectionLines);
    read(data, size, INT_MAX);
    return 0;
}
