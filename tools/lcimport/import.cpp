#include "import.hpp"

#include "cli.hpp"

#include <algorithm>

namespace lcimport {

using snphot::RunFailure;

int SourceIndex::add(const std::string& name) {
    const auto [at, added] = index_.try_emplace(name, size());
    if (added) names_.push_back(name);
    return at->second;
}

int SourceIndex::find(const std::string& name) const {
    const auto at = index_.find(name);
    return at == index_.end() ? -1 : at->second;
}

Survey survey_table(PhotometryReader& reader) {
    Survey survey;
    Measurement row;
    while (reader.next(row)) {
        ++survey.rows;
        BandCount& band = survey.bands[row.band];
        ++band.rows;
        if (row.upper_limit) {
            ++band.upper_limits;
            continue;
        }
        const auto source = static_cast<std::size_t>(survey.sources.add(row.source));
        if (band.by_source.size() <= source) band.by_source.resize(source + 1, 0);
        ++band.by_source[source];
    }
    return survey;
}

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

long rows_of(const Survey& survey, const std::string& band, int source) {
    const auto found = survey.bands.find(band);
    if (found == survey.bands.end()) return 0;
    const auto& by_source = found->second.by_source;
    return static_cast<std::size_t>(source) < by_source.size()
               ? by_source[static_cast<std::size_t>(source)]
               : 0;
}

// The source, not excluded, with the most rows in the bands (the first such source on a tie);
// -1 when none has a row.
int most_rows(const Survey& survey, const std::vector<std::string>& bands,
              const std::vector<bool>& excluded) {
    int best = -1;
    long best_rows = 0;
    for (int s = 0; s < survey.sources.size(); ++s) {
        if (excluded[static_cast<std::size_t>(s)]) continue;
        long rows = 0;
        for (const std::string& band : bands) rows += rows_of(survey, band, s);
        if (rows > best_rows) best = s, best_rows = rows;
    }
    return best;
}

// The names of the settings checked against the table: a misspelt source would otherwise pass
// unnoticed. `where` is the place in the settings file that names it.
class PlanChecks {
  public:
    PlanChecks(const Survey& survey, const std::string& table) : survey_(survey), table_(table) {}

    int source(const std::string& name, const char* key, const std::string& where) const {
        const int index = survey_.sources.find(name);
        if (index < 0)
            throw RunFailure(where, "[import] " + std::string(key) + ": no source " +
                                        quoted(name) + " in " + table_);
        return index;
    }

  private:
    const Survey& survey_;
    const std::string& table_;
};

} // namespace

Plan make_plan(const Survey& survey, const ImportSettings& settings,
               const std::string& table_name) {
    const PlanChecks check(survey, table_name);
    Plan plan;
    for (const std::string& band : kKnownBands) {
        const bool listed = settings.bands.empty()
                                ? survey.bands.count(band) > 0
                                : std::find(settings.bands.begin(), settings.bands.end(), band) !=
                                      settings.bands.end();
        if (listed) plan.bands.push_back(band);
    }
    if (plan.bands.empty())
        throw RunFailure(table_name, "no row of any of the bands U B V R I g r i z");

    plan.excluded.assign(static_cast<std::size_t>(survey.sources.size()), false);
    for (const std::string& name : settings.exclude)
        plan.excluded[static_cast<std::size_t>(check.source(name, "exclude", settings.exclude_at))] =
            true;
    for (const auto& [name, bands] : settings.offsets) {
        const std::string where = bands.line > 0
                                      ? snphot::at_line(settings.settings_file, bands.line)
                                      : settings.settings_file;
        const int source = check.source(name, "offsets", where);
        for (const auto& [band, offset] : bands.value) plan.by_hand[band][source] = offset;
    }
    if (!settings.reference.empty()) {
        plan.reference = check.source(settings.reference, "reference", settings.reference_at);
        if (plan.excluded[static_cast<std::size_t>(plan.reference)])
            throw RunFailure(settings.reference_at, "[import] reference: the source " +
                                                        quoted(settings.reference) +
                                                        " is excluded");
    } else {
        plan.reference = most_rows(survey, plan.bands, plan.excluded);
    }
    return plan;
}

BandImport import_band(PhotometryReader& reader, const std::string& band, const Survey& survey,
                       const Plan& plan, const ImportSettings& settings) {
    BandImport result;
    result.band = band;
    reader.rewind();
    Measurement row;
    while (reader.next(row, &band)) {
        ++result.rows;
        if (row.upper_limit) {
            ++result.upper_limits;
            continue;
        }
        const int source = survey.sources.find(row.source);
        if (source < 0) throw RunFailure(reader.name(), "changed while it was read");
        if (plan.excluded[static_cast<std::size_t>(source)]) {
            ++result.excluded;
            continue;
        }
        result.points.push_back({row.time, row.mag, row.error, row.error, source});
    }

    AlignmentRules rules;
    rules.estimate = settings.align_sources;
    rules.match_days = settings.match_days;
    rules.min_pairs = settings.min_pairs;
    if (const auto hand = plan.by_hand.find(band); hand != plan.by_hand.end())
        rules.by_hand = hand->second;
    // The reference of the whole table, or, in a band where it has no point, the source with the
    // most points of this band.
    rules.reference = plan.reference >= 0 && rows_of(survey, band, plan.reference) > 0
                          ? plan.reference
                          : most_rows(survey, {band}, plan.excluded);
    result.reference = rules.reference;
    result.offsets = align_sources(result.points, rules);
    result.points = by_night(std::move(result.points), static_cast<PerNight>(settings.per_night));
    return result;
}

} // namespace lcimport
