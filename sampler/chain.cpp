#include "chain.hpp"

namespace sampler {

void Chain::record(const Ensemble& ensemble) {
    const auto all = ensemble.positions();
    positions_.insert(positions_.end(), all.begin(), all.end());
    for (int k = 0; k < walkers_; ++k) evaluations_.push_back(ensemble.evaluation(k));
    ++steps_;
}

std::vector<double> Chain::series(int walker, int parameter, int first) const {
    std::vector<double> x;
    x.reserve(steps_ > first ? steps_ - first : 0);
    for (int t = first; t < steps_; ++t) x.push_back(value(t, walker, parameter));
    return x;
}

std::vector<Sample> Chain::samples(int first, int thin) const {
    std::vector<Sample> out;
    for (int t = first; t < steps_; t += thin)
        for (int k = 0; k < walkers_; ++k) {
            Sample s;
            s.position.reserve(dimensions_);
            for (int i = 0; i < dimensions_; ++i) s.position.push_back(value(t, k, i));
            s.evaluation = evaluation(t, k);
            out.push_back(std::move(s));
        }
    return out;
}

} // namespace sampler
