#include "sampler.hpp"

#include "autocorrelation.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <thread>

namespace sampler {

void side_by_side(int count, int threads, const std::function<void(int)>& job) {
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int i; (i = next++) < count;) job(i);
    };
    std::vector<std::jthread> pool;
    for (int t = 1; t < std::min(threads, count); ++t) pool.emplace_back(worker);
    worker();
}

namespace {

// Before the chain has grown by this factor (or this many steps) its convergence is not
// checked again: an estimate of tau costs a few FFTs per walker and parameter.
constexpr double kCheckGrowth = 1.2;
constexpr int kCheckSteps = 50;
// The burn-in: this many autocorrelation times (as the previous check estimated them; at the
// first, half the chain), at most half the chain. The walkers start in a small ball and need a
// few tau to spread over the posterior.
constexpr double kBurnInTimes = 3.0;
// A half-ensemble update shorter than this (in seconds, as the first step measures it on one
// thread) runs on one thread: handing it to others would cost more than it saves. The chain is
// the same either way.
constexpr double kParallelFrom = 2e-3;

class Driver {
  public:
    Driver(const Target& target, int dimensions, const Move& move, const Options& options)
        : target_(target), move_(move), options_(options),
          ensemble_(options.walkers, dimensions, options.seed),
          chain_(options.walkers, dimensions) {
        if (options.walkers % 2 != 0 || options.walkers < 2 * dimensions + 2)
            throw std::invalid_argument("an even number of walkers, at least 2 per dimension + 2");
    }

    int start(const StartDraw& draw) {
        std::vector<char> refused(ensemble_.walkers(), 0);
        side_by_side(ensemble_.walkers(), options_.threads, [&](int k) {
            for (int attempt = 0; attempt < options_.start_attempts; ++attempt) {
                draw(ensemble_.stream(k), ensemble_.position(k));
                ensemble_.evaluation(k) = evaluate(ensemble_.position(k));
                if (!ensemble_.evaluation(k).refused()) return;
            }
            refused[k] = 1;
        });
        return static_cast<int>(std::count(refused.begin(), refused.end(), 1));
    }

    bool budget_left() const {
        return evaluations_ + ensemble_.walkers() <= options_.max_evaluations;
    }

    void step() {
        const int half = ensemble_.walkers() / 2;
        std::vector<int> first(half), second(half);
        std::iota(first.begin(), first.end(), 0);
        std::iota(second.begin(), second.end(), half);
        const auto start = std::chrono::steady_clock::now();
        const int accepted = move_half(first, second) + move_half(second, first);
        if (chain_.steps() == 0) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            threads_ = took.count() / 2.0 < kParallelFrom ? 1 : options_.threads;
        }
        accepted_.push_back(accepted);
        chain_.record(ensemble_);
    }

    // The burn-in, tau, thinning and acceptance of the chain as it stands.
    void assess(Sampling& run) const {
        const int n = chain_.steps();
        const double previous =
            run.tau.empty() ? n : *std::max_element(run.tau.begin(), run.tau.end());
        run.burn_in = std::min(n / 2, static_cast<int>(std::ceil(kBurnInTimes * previous)));
        run.tau = integrated_times(chain_, run.burn_in);
        const double tau_min = *std::min_element(run.tau.begin(), run.tau.end());
        run.thin = std::max(1, static_cast<int>(tau_min / 2.0));
        long accepted = 0;
        for (int t = run.burn_in; t < n; ++t) accepted += accepted_[t];
        const long proposals = static_cast<long>(n - run.burn_in) * ensemble_.walkers();
        run.acceptance = proposals > 0 ? static_cast<double>(accepted) / proposals : 0.0;
    }

    Progress progress(const Sampling& run) const {
        Progress p;
        p.steps = chain_.steps();
        p.evaluations = evaluations_;
        p.tau = *std::max_element(run.tau.begin(), run.tau.end());
        p.acceptance = run.acceptance;
        p.effective = ensemble_.walkers() * static_cast<double>(p.steps - run.burn_in) / p.tau;
        p.needed_steps =
            run.burn_in + std::max(options_.autocorrelation_lengths * p.tau,
                                   options_.effective_samples * p.tau / ensemble_.walkers());
        return p;
    }

    bool enough(const Sampling& run) const {
        const double tau_max = *std::max_element(run.tau.begin(), run.tau.end());
        const double length = chain_.steps() - run.burn_in;
        return std::isfinite(tau_max) && length >= options_.autocorrelation_lengths * tau_max &&
               ensemble_.walkers() * length / tau_max >= options_.effective_samples;
    }

    Chain take_chain() { return std::move(chain_); }
    long evaluations() const { return evaluations_; }

  private:
    Evaluation evaluate(std::span<const double> x) {
        ++evaluations_;
        return target_(x);
    }

    int move_half(const std::vector<int>& moving, const std::vector<int>& partners) {
        std::atomic<int> accepted{0};
        side_by_side(static_cast<int>(moving.size()), threads_, [&](int i) {
            const int k = moving[i];
            Stream& stream = ensemble_.stream(k);
            std::vector<double> proposal(ensemble_.dimensions());
            const double log_factor = move_.propose(ensemble_, k, partners, stream, proposal);
            const double u = uniform(stream);
            const Evaluation e = evaluate(proposal);
            if (e.refused()) return;
            const double log_ratio =
                log_factor + e.log_posterior - ensemble_.evaluation(k).log_posterior;
            if (std::log(u) < log_ratio) {
                std::copy(proposal.begin(), proposal.end(), ensemble_.position(k).begin());
                ensemble_.evaluation(k) = e;
                ++accepted;
            }
        });
        return accepted;
    }

    const Target& target_;
    const Move& move_;
    const Options& options_;
    Ensemble ensemble_;
    Chain chain_;
    std::vector<int> accepted_; // per step
    int threads_ = 1;           // for the half-ensemble updates; the first step on one
    std::atomic<long> evaluations_{0};
};

} // namespace

Sampling sample(const Target& target, const StartDraw& start, int dimensions, const Move& move,
                const Options& options) {
    Driver driver(target, dimensions, move, options);
    Sampling run{Chain(options.walkers, dimensions), 0, false, 0, {}};
    run.refused_starts = driver.start(start);
    if (run.refused_starts > 0) {
        run.evaluations = driver.evaluations();
        return run;
    }
    int next_check = kCheckSteps;
    int steps = 0;
    while (driver.budget_left()) {
        driver.step();
        if (++steps < next_check) continue;
        driver.assess(run);
        options.progress(driver.progress(run));
        if (driver.enough(run)) {
            run.converged = true;
            break;
        }
        next_check = std::max(steps + kCheckSteps, static_cast<int>(steps * kCheckGrowth));
    }
    if (steps > 0) {
        driver.assess(run);
        run.converged = run.converged || driver.enough(run);
    }
    run.evaluations = driver.evaluations();
    run.chain = driver.take_chain();
    return run;
}

} // namespace sampler
