// lcimport: light-curve files from a photometry table as a catalogue exports it.
//
// The table (one measurement a row: time, band, magnitude, error, source) is read and checked
// whole before any file is touched; then each band in turn is read again, its sources brought
// onto one zero point if asked, its points grouped by night, and written to "X-gorbeA.txt" as
// JD - 2400000, magnitude, measurement error and total error, the light curves bolcurve reads.
#include "cli.hpp"
#include "file.hpp"
#include "import.hpp"
#include "lightcurve.hpp"
#include "settings.hpp"
#include "truncate.hpp"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using namespace snphot;
using namespace lcimport;

const char* const kHelp =
    "lcimport: light-curve files from a photometry table, one file per band.\n"
    "Reads   photometry.csv (or the file of [import] file): a header row naming the columns,\n"
    "        then one measurement a row, separated by commas or white space; by default the\n"
    "        columns mjd (or jd), band, mag, mag_err and, if there, source and upper_limit\n"
    "Writes  X-gorbeA.txt for each band X of [import] bands (default: every band of the table\n"
    "        among U B V R I g r i z): JD - 2400000, magnitude, measurement error, total error\n"
    "        (with the error of a source offset), one row per night by default.\n"
    "Prints  per band the rows read and dropped, the source offsets, the nights written and\n"
    "        their dates. Never waits for a key.\n"
    "The whole table is checked before any file is written: a field that is not a number, an\n"
    "error not above 0, a row of another length than the header, a column name given twice.\n"
    "[import] keys: file; the header names time (with time_kind \"mjd\", \"jd\" or\n"
    "        \"jd-2400000\"), band, mag, mag_err, source, upper_limit; bands; per_night (\"mean\",\n"
    "        \"all\" or \"first\"); align_sources, reference, exclude, offsets by hand\n"
    "        ({ \"source\" = { B = 0.12 } }), match_days, min_pairs.\n";

// A source as the console names it; rows of a table without a source column share one source
// without a name.
std::string shown(const std::string& source) {
    return source.empty() ? "(no source)" : source;
}

void print_table(const PhotometryReader& reader, const Survey& survey) {
    const Columns& c = reader.columns();
    static const char* const kKinds[] = {"MJD", "JD", "JD - 2400000"};
    std::printf("Table %s: %ld rows, %d source%s; time from column \"%s\" (%s)\n",
                reader.name().c_str(), survey.rows, survey.sources.size(),
                survey.sources.size() == 1 ? "" : "s", c.time_name.c_str(),
                kKinds[static_cast<int>(c.time_kind)]);
}

void print_other_bands(const Survey& survey, const Plan& plan) {
    std::string others;
    for (const auto& [band, count] : survey.bands) {
        if (std::find(plan.bands.begin(), plan.bands.end(), band) != plan.bands.end()) continue;
        others += (others.empty() ? "" : ", ") + (band.empty() ? "(no band)" : band) + " " +
                  std::to_string(count.rows);
    }
    if (!others.empty()) std::printf("Rows of bands not written: %s\n", others.c_str());
}

void print_reference(const Survey& survey, const Plan& plan, const ImportSettings& settings) {
    if (settings.align_sources && plan.reference >= 0)
        std::printf("Reference source: %s\n", shown(survey.sources.name(plan.reference)).c_str());
}

void print_offsets(const BandImport& b, const Survey& survey) {
    bool any = false;
    for (const SourceOffset& o : b.offsets) any = any || o.kind != OffsetKind::as_read;
    if (!any) return;
    std::printf("  offsets (source - reference, subtracted), mag:\n");
    for (const SourceOffset& o : b.offsets) {
        const std::string source = shown(survey.sources.name(o.source));
        const char* name = source.c_str();
        switch (o.kind) {
        case OffsetKind::reference:
            std::printf("    %-24s %+.3f  reference\n", name, 0.0);
            break;
        case OffsetKind::estimated:
            std::printf("    %-24s %+.3f +/- %.3f from %d pairs\n", name, o.offset, o.error,
                        o.pairs);
            break;
        case OffsetKind::by_hand:
            std::printf("    %-24s %+.3f  by hand\n", name, o.offset);
            break;
        case OffsetKind::too_little_overlap:
            std::printf("    %-24s not aligned: %d pair%s with the reference, too little "
                        "overlap\n",
                        name, o.pairs, o.pairs == 1 ? "" : "s");
            break;
        case OffsetKind::as_read:
            std::printf("    %-24s %+.3f  as read\n", name, 0.0);
            break;
        }
    }
}

void print_band(const BandImport& b, const Survey& survey, const std::string& file) {
    const long dropped = b.upper_limits + b.excluded;
    std::printf("\nBand %s: %ld %s read, %ld dropped", b.band.c_str(), b.rows,
                b.rows == 1 ? "row" : "rows", dropped);
    if (dropped > 0) {
        std::string why;
        if (b.upper_limits > 0)
            why += std::to_string(b.upper_limits) +
                   (b.upper_limits == 1 ? " upper limit" : " upper limits");
        if (b.excluded > 0)
            why += (why.empty() ? "" : ", ") + std::to_string(b.excluded) + " of excluded " +
                   (b.excluded == 1 ? "source" : "sources");
        std::printf(" (%s)", why.c_str());
    }
    std::printf("\n");
    print_offsets(b, survey);
    if (b.points.empty()) return;
    long nights = 0;
    for (std::size_t k = 0; k < b.points.size(); ++k)
        if (k == 0 || night_of(b.points[k].time) != night_of(b.points[k - 1].time)) ++nights;
    std::printf("  %zu %s on %ld %s written to %s, JD - 2400000 from %f to %f\n",
                b.points.size(), b.points.size() == 1 ? "point" : "points", nights,
                nights == 1 ? "night" : "nights", file.c_str(), b.points.front().time,
                b.points.back().time);
}

void write_curve(const BandImport& b, const std::string& name) {
    File out = open_output(name);
    for (const Point& p : b.points) write_light_curve_row(out.get(), p.time, p.mag, p.error, p.total);
    close_written(out);
}

int run(const ImportSettings& settings) {
    File in = open_checked(settings.file, "r");
    PhotometryReader reader(in.get(), in.name(), settings);
    const Survey survey = survey_table(reader);
    const Plan plan = make_plan(survey, settings, in.name());
    print_table(reader, survey);
    print_other_bands(survey, plan);
    print_reference(survey, plan, settings);
    for (const std::string& band : plan.bands) {
        const BandImport b = import_band(reader, band, survey, plan, settings);
        const std::string file = curve_file(band);
        print_band(b, survey, file);
        if (b.points.empty()) {
            warn(in.name(), "band " + band + ": no rows left; " + file + " is not written");
            continue;
        }
        write_curve(b, file);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    ImportSettings settings;
    return snphot::run_program(argc, argv, {"lcimport", kHelp, {import_table(settings)}},
                               [&] { return run(settings); });
}
