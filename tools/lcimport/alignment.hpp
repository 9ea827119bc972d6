// The sources of one band brought onto the zero point of a reference source.
//
// A source's offset is source minus reference, subtracted from its magnitudes. Given by hand, it
// is used as it is. Estimated, it is the weighted median of the differences between each of the
// source's points and the reference on the same night (the weighted mean of the reference's
// points of that night) or, when the reference has no point that night, the reference
// interpolated linearly between its two neighbouring points, each at most `match_days` away.
// The weight of a difference is 1 / (error^2 + error of the reference^2). A source with fewer
// pairs than `min_pairs` is left as it is.
#pragma once

#include "nights.hpp"

#include <map>
#include <utility>
#include <vector>

namespace lcimport {

// The value that splits the total weight in halves: the first, in the order of the values, at
// which the running sum of weights reaches half the total (the mean of it and the next when it
// reaches exactly half). Takes (value, weight) pairs, weights above 0; NaN when there are none.
double weighted_median(std::vector<std::pair<double, double>> values);

enum class OffsetKind {
    reference,          // the reference source itself
    estimated,          // estimated against the reference
    by_hand,            // given in [import] offsets
    too_little_overlap, // too few pairs with the reference: left as it is
    as_read,            // no alignment asked for
};

struct SourceOffset {
    int source = 0;
    OffsetKind kind = OffsetKind::as_read;
    double offset = 0; // mag, subtracted from the source's magnitudes
    double error = 0;  // mag, added in quadrature to the total error of its points
    int pairs = 0;     // pairs with the reference (estimated or too little overlap)
};

struct AlignmentRules {
    bool estimate = false;   // estimate the offsets of the sources not given by hand
    int reference = -1;      // the reference source
    double match_days = 3.0; // reach of the interpolation of the reference
    double min_pairs = 3;    // fewer pairs: too little overlap
    std::map<int, double> by_hand; // source -> offset
};

// Applies the offsets to the points of one band (magnitudes and total errors) and returns them,
// one per source that has points, in the order of the source indices.
std::vector<SourceOffset> align_sources(std::vector<Point>& points, const AlignmentRules& rules);

} // namespace lcimport
