// Light-curve rows "JD mag error calib", read as lcsub, bolcurve, bandconv and the colour phase of
// the light-curve builders read them: row by row until the end or the first row that does not
// convert (a warning on standard error). Every row handed on holds four finite numbers, and a
// reader that has stopped stays stopped.
#include "fuzz_support.hpp"
#include "lightcurve.hpp"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputStream in(data, size);
    snphot::LightCurveReader reader(in.get(), "V-gorbeS.txt");
    fuzz::accepted([&] {
        snphot::LightCurveRow row;
        std::size_t rows = 0;
        while (reader.next(row)) {
            // A row takes at least four one-digit numbers and three separators.
            if (++rows * 7 > size) fuzz::finding("more rows than the input can hold");
            for (float field : {row.time, row.mag, row.error, row.calib})
                fuzz::expect_finite(field, "a field that is not finite");
        }
        if (reader.next(row)) fuzz::finding("a row after the reading ended");
    });
    return 0;
}
