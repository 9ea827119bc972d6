// The bolometric light curve bol-gorbe.txt, read as snfit reads it: rows of three numbers in double
// precision until the end or the first row that does not convert (a warning on standard error).
// Every point handed on holds three finite numbers and its line; lines never go back.
#include "bolometric_curve.hpp"
#include "fuzz_support.hpp"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputStream in(data, size);
    fuzz::accepted([&] {
        const std::vector<snfit::Point> points =
            snfit::read_bolometric_curve(in.get(), snfit::kBolometricCurve);
        // A row takes at least three one-digit numbers and two separators.
        if (points.size() * 5 > size) fuzz::finding("more rows than the input can hold");
        long line = 0;
        for (const snfit::Point& p : points) {
            for (double field : {p.date, p.mag, p.error})
                fuzz::expect_finite(field, "a field that is not finite");
            // Fields are read as scanf reads them, so two rows may share a line.
            if (p.line < line) fuzz::finding("a row whose line comes before the last");
            line = p.line;
        }
    });
    return 0;
}
