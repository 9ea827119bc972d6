// The photometry table of lcimport, read as lcimport reads it: the header, then every row
// checked; then, one band at a time, the rows read again, the sources aligned against the one
// with the most rows and the points grouped by night. Every row handed on holds finite numbers
// within single precision and an error above 0, a second reading gives the same rows, and every
// point that goes to a file is finite, in the order of time, with errors above 0.
#include "fuzz_support.hpp"
#include "lcimport/import.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

void expect_single(double value, const char* what) {
    fuzz::expect_finite(value, what);
    if (std::fabs(value) > std::numeric_limits<float>::max()) fuzz::finding(what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputStream in(data, size);
    lcimport::ImportSettings settings;
    settings.align_sources = true;
    fuzz::accepted([&] {
        lcimport::PhotometryReader reader(in.get(), "photometry.csv", settings);
        std::vector<lcimport::Measurement> first;
        lcimport::Measurement row;
        while (reader.next(row)) {
            // A row takes at least one byte and a line end.
            if (first.size() * 2 > size) fuzz::finding("more rows than the input can hold");
            if (!row.upper_limit) {
                expect_single(row.mag, "a magnitude out of range");
                expect_single(row.error, "an error out of range");
                if (!(row.error >= 0.5e-6)) fuzz::finding("an error below what a file holds");
                fuzz::expect_finite(row.time, "a time that is not finite");
            }
            first.push_back(row);
        }
        reader.rewind();
        for (const lcimport::Measurement& expected : first) {
            if (!reader.next(row) || row.line != expected.line || row.band != expected.band ||
                row.source != expected.source || row.upper_limit != expected.upper_limit ||
                (!row.upper_limit && (row.mag != expected.mag || row.time != expected.time)))
                fuzz::finding("a second reading differs from the first");
        }
        if (reader.next(row)) fuzz::finding("a second reading has more rows");

        reader.rewind();
        const lcimport::Survey survey = lcimport::survey_table(reader);
        const lcimport::Plan plan = lcimport::make_plan(survey, settings, "photometry.csv");
        for (const std::string& band : plan.bands) {
            const auto b = lcimport::import_band(reader, band, survey, plan, settings);
            for (std::size_t k = 0; k < b.points.size(); ++k) {
                const lcimport::Point& p = b.points[k];
                fuzz::expect_finite(p.time, "a point's time that is not finite");
                fuzz::expect_finite(p.mag, "a point's magnitude that is not finite");
                if (!(p.error > 0) || !(p.total >= p.error * (1 - 1e-12)) || !std::isfinite(p.total))
                    fuzz::finding("a point's errors out of order");
                if (k > 0 && p.time < b.points[k - 1].time) fuzz::finding("points out of order");
            }
        }
    });
    return 0;
}
