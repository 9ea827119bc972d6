#include "alignment.hpp"

#include "truncate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace lcimport {

double weighted_median(std::vector<std::pair<double, double>> values) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    double total = 0;
    for (const auto& v : values) total += v.second;
    double running = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        running += values[k].second;
        const double excess = running - total / 2;
        if (std::fabs(excess) <= 1e-12 * total && k + 1 < values.size())
            return (values[k].first + values[k + 1].first) / 2;
        if (excess >= 0) return values[k].first;
    }
    return values.back().first;
}

namespace {

// The reference of one band: its night means, and its points in the order of time for the
// interpolation.
class Reference {
  public:
    Reference(const std::vector<Point>& points, int source, double match_days)
        : match_days_(match_days) {
        for (const Point& p : points) {
            if (p.source != source) continue;
            sorted_.push_back(p);
            Sums& night = nights_[snphot::night_of(p.time)];
            const double w = 1.0 / (p.error * p.error);
            night.weight += w;
            night.mag += w * p.mag;
        }
        std::sort(sorted_.begin(), sorted_.end(),
                  [](const Point& a, const Point& b) { return a.time < b.time; });
    }

    // The reference's magnitude and error at a point's time; false when it has none there.
    bool at(const Point& p, double& mag, double& error) const {
        const auto night = nights_.find(snphot::night_of(p.time));
        if (night != nights_.end()) {
            mag = night->second.mag / night->second.weight;
            error = 1.0 / std::sqrt(night->second.weight);
            return true;
        }
        const auto after = std::lower_bound(
            sorted_.begin(), sorted_.end(), p.time,
            [](const Point& q, double time) { return q.time < time; });
        if (after == sorted_.begin() || after == sorted_.end()) return false;
        const Point& a = *(after - 1);
        const Point& b = *after;
        if (p.time - a.time > match_days_ || b.time - p.time > match_days_) return false;
        const double f = b.time > a.time ? (p.time - a.time) / (b.time - a.time) : 0.5;
        mag = a.mag + f * (b.mag - a.mag);
        error = a.error + f * (b.error - a.error);
        return true;
    }

  private:
    struct Sums {
        double weight = 0, mag = 0;
    };
    double match_days_;
    std::vector<Point> sorted_;
    std::unordered_map<std::int64_t, Sums> nights_;
};

// The offset of one source against the reference, from its pairs with it.
SourceOffset estimate(const std::vector<Point>& points, int source, const Reference& reference,
                      double min_pairs) {
    std::vector<std::pair<double, double>> differences;
    double weights = 0;
    for (const Point& p : points) {
        if (p.source != source) continue;
        double mag, error;
        if (!reference.at(p, mag, error)) continue;
        const double w = 1.0 / (p.error * p.error + error * error);
        differences.emplace_back(p.mag - mag, w);
        weights += w;
    }
    SourceOffset result{source, OffsetKind::too_little_overlap};
    result.pairs = static_cast<int>(differences.size());
    if (differences.empty() || result.pairs < min_pairs) return result;
    result.kind = OffsetKind::estimated;
    result.offset = weighted_median(differences);
    // The error of a median: sqrt(pi / 2) times that of a mean, the larger of the formal error
    // and the scatter of the differences about the offset.
    const double n = static_cast<double>(differences.size());
    double squares = 0;
    for (const auto& d : differences) squares += (d.first - result.offset) * (d.first - result.offset);
    const double scatter = n > 1 ? std::sqrt(squares / (n - 1) / n) : 0.0;
    result.error = std::sqrt(M_PI / 2) * std::max(1.0 / std::sqrt(weights), scatter);
    return result;
}

void remove_offset(std::vector<Point>& points, const SourceOffset& offset) {
    if (offset.offset == 0 && offset.error == 0) return;
    for (Point& p : points) {
        if (p.source != offset.source) continue;
        p.mag -= offset.offset;
        p.total = std::hypot(p.total, offset.error);
    }
}

} // namespace

std::vector<SourceOffset> align_sources(std::vector<Point>& points, const AlignmentRules& rules) {
    std::vector<int> sources;
    for (const Point& p : points) sources.push_back(p.source);
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());

    std::vector<SourceOffset> offsets;
    for (int source : sources) {
        SourceOffset offset{source, OffsetKind::as_read};
        if (const auto hand = rules.by_hand.find(source); hand != rules.by_hand.end()) {
            offset.kind = OffsetKind::by_hand;
            offset.offset = hand->second;
        } else if (rules.estimate && source == rules.reference) {
            offset.kind = OffsetKind::reference;
        }
        remove_offset(points, offset);
        offsets.push_back(offset);
    }
    if (!rules.estimate) return offsets;
    // The reference after its own offset by hand, if it has one.
    const Reference reference(points, rules.reference, rules.match_days);
    for (SourceOffset& offset : offsets) {
        if (offset.kind != OffsetKind::as_read) continue;
        offset = estimate(points, offset.source, reference, rules.min_pairs);
        remove_offset(points, offset);
    }
    return offsets;
}

} // namespace lcimport
