// The points of one band, night by night: one night is the integer part of JD - 2400000, as
// bolcurve pairs its bands. Several points of one night become their weighted mean ("mean"),
// stay as they are ("all") or give way to the earliest ("first").
#pragma once

#include "settings.hpp"

#include <span>
#include <vector>

namespace lcimport {

// A point of a light curve on its way to the file.
struct Point {
    double time = 0;  // JD - 2400000
    double mag = 0;   // magnitude
    double error = 0; // measurement error
    double total = 0; // measurement error with the error of the source offset applied
    int source = 0;   // index of the source
};

// The weighted mean of the points of one night (weights 1 / error^2): its time and magnitude are
// the weighted means, its error is max(formal error of the mean, scatter / sqrt(n)), the scatter
// being the standard deviation of the magnitudes about the mean (n - 1 in the divisor); the total
// error is formed in the same way from the total errors.
Point night_mean(std::span<const Point> night);

// The points in the order of time, night by night as `mode` says. Points of equal time keep
// their order of reading.
std::vector<Point> by_night(std::vector<Point> points, PerNight mode);

} // namespace lcimport
