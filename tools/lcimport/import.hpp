// What lcimport does between the table and the files: a first pass over the whole table that
// checks every row and counts the rows of each band and source; the plan drawn from it and the
// settings (bands, excluded sources, reference, offsets by hand); and then, one band at a time,
// the rows of that band read again, aligned and grouped by night. Only one band is held at once.
#pragma once

#include "alignment.hpp"
#include "nights.hpp"
#include "settings.hpp"
#include "table.hpp"

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace lcimport {

// The sources of a table by name, numbered in the order they first appear.
class SourceIndex {
  public:
    int add(const std::string& name);
    int find(const std::string& name) const; // -1 when there is none of that name
    const std::string& name(int index) const { return names_[static_cast<std::size_t>(index)]; }
    int size() const { return static_cast<int>(names_.size()); }

  private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, int> index_;
};

struct BandCount {
    long rows = 0;                // every row of the band
    long upper_limits = 0;        // rows flagged as upper limits
    std::vector<long> by_source;  // the other rows, per source
};

struct Survey {
    long rows = 0;
    SourceIndex sources;
    std::map<std::string, BandCount> bands;
};

// Reads and checks the whole table (the first pass); leaves the reader at its end.
Survey survey_table(PhotometryReader& reader);

struct Plan {
    std::vector<std::string> bands; // the bands to write, in the order of kKnownBands
    std::vector<bool> excluded;     // per source
    int reference = -1;             // the source with the most rows, or the one named
    std::map<std::string, std::map<int, double>> by_hand; // band -> source -> offset
};

// The plan of a run. Throws a RunFailure naming the place in the settings file that names a
// source the table does not have (a misspelt name would otherwise pass unnoticed) or excludes the
// reference, or naming the table when it holds no row of any band to write.
Plan make_plan(const Survey& survey, const ImportSettings& settings,
               const std::string& table_name);

struct BandImport {
    std::string band;
    long rows = 0, upper_limits = 0, excluded = 0; // read, and dropped for each reason
    int reference = -1;                            // the reference source of this band
    std::vector<SourceOffset> offsets;
    std::vector<Point> points; // as they go to the file
};

// The rows of one band read again from the reader, aligned and grouped by night.
BandImport import_band(PhotometryReader& reader, const std::string& band, const Survey& survey,
                       const Plan& plan, const ImportSettings& settings);

} // namespace lcimport
