#include "nights.hpp"

#include "truncate.hpp"

#include <algorithm>
#include <cmath>

namespace lcimport {

Point night_mean(std::span<const Point> night) {
    double weights = 0, total_weights = 0, time = 0, mag = 0;
    for (const Point& p : night) {
        const double w = 1.0 / (p.error * p.error);
        weights += w;
        total_weights += 1.0 / (p.total * p.total);
        time += w * p.time;
        mag += w * p.mag;
    }
    Point mean = night.front();
    mean.time = time / weights;
    mean.mag = mag / weights;
    const double n = static_cast<double>(night.size());
    double scatter_of_mean = 0;
    if (night.size() > 1) {
        double squares = 0;
        for (const Point& p : night) squares += (p.mag - mean.mag) * (p.mag - mean.mag);
        scatter_of_mean = std::sqrt(squares / (n - 1)) / std::sqrt(n);
    }
    mean.error = std::max(1.0 / std::sqrt(weights), scatter_of_mean);
    mean.total = std::max(1.0 / std::sqrt(total_weights), scatter_of_mean);
    return mean;
}

std::vector<Point> by_night(std::vector<Point> points, PerNight mode) {
    std::stable_sort(points.begin(), points.end(),
                     [](const Point& a, const Point& b) { return a.time < b.time; });
    if (mode == PerNight::all) return points;
    std::vector<Point> nights;
    for (std::size_t start = 0; start < points.size();) {
        const auto night = snphot::night_of(points[start].time);
        std::size_t end = start + 1;
        while (end < points.size() && snphot::night_of(points[end].time) == night) ++end;
        const std::span<const Point> group(points.data() + start, end - start);
        nights.push_back(mode == PerNight::first ? group.front() : night_mean(group));
        start = end;
    }
    return nights;
}

} // namespace lcimport
