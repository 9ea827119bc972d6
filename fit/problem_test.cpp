// The checks between the inputs of a fit, the points it weighs, and the reading of the
// bolometric light curve.
#include "bolometric_curve.hpp"
#include "cli.hpp"
#include "example_explosion.hpp"
#include "parameters.hpp"
#include "problem.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

using namespace snfit;

namespace {

snmodel::ModelState start_parameters() {
    return snmodel::example_explosion();
}

// Ten points a day apart from 57840, of errors 0.03 (the fifth 0).
std::vector<Point> ten_points() {
    std::vector<Point> points;
    for (int i = 0; i < 10; ++i)
        points.push_back({57840.0 + i, -15.0, i == 4 ? 0.0 : 0.03, i + 1L});
    return points;
}

// The message of the RunFailure that building the problem throws, "" when none.
std::string refusal(const std::function<void(FitSettings&, snmodel::ModelState&)>& change,
                    std::vector<Point> points = ten_points()) {
    FitSettings settings;
    snmodel::ModelState parameters = start_parameters();
    change(settings, parameters);
    try {
        make_problem(parameters, "parameters.inp", std::move(points), settings);
    } catch (const snphot::RunFailure& error) {
        return error.where() + ": " + error.what();
    }
    return "";
}

void bound(FitSettings& s, int index, double low, double high, int line) {
    s.bounds[index] = {low, high};
    s.bound_source[index] = "snphot.toml:" + std::to_string(line);
}

} // namespace

TEST(FitParameters, AreTheNamesOfTheParameterFileThenTheExplosionDate) {
    for (int i = 0; i < kFileParameters; ++i)
        EXPECT_STREQ(parameter_info(i).name, snmodel::kParameters[i].name);
    EXPECT_EQ(free_parameter_index("Mni"), kMni);
    EXPECT_EQ(free_parameter_index("explosion_date"), kExplosionDate);
    EXPECT_EQ(free_parameter_index("tmax"), -1); // it only sets the length of a run
    EXPECT_EQ(free_parameter_index("mni"), -1);
}

TEST(Problem, DefaultsStartTheExplosionTenDaysBeforeTheDataAndBoundItByTheFirstPoint) {
    const Problem p = make_problem(start_parameters(), "parameters.inp", ten_points(), {});
    EXPECT_EQ(p.start[kExplosionDate], 57830.0);
    ASSERT_EQ(p.free.size(), 5u);
    EXPECT_EQ(p.free[0].index, kExplosionDate);
    EXPECT_EQ(p.free[0].bound.low, 57780.0);
    EXPECT_EQ(p.free[0].bound.high, 57840.0);
    EXPECT_FALSE(p.free[0].log_scale);
    EXPECT_EQ(p.free[1].index, kR0);
    EXPECT_TRUE(p.free[1].log_scale);
    EXPECT_EQ(p.fitted, 10);
    EXPECT_EQ(p.degrees_of_freedom(), 5);
    EXPECT_EQ(p.end_date, 57869.0);
    EXPECT_DOUBLE_EQ(p.sigma[0], std::hypot(0.03, 0.05));
    EXPECT_EQ(p.sigma[4], 0.05);
}

TEST(Problem, DatesWindowAndVelocityDecideWhatIsWeighed) {
    FitSettings s;
    s.dates = Bound{57842.0, 57847.0};
    s.velocity = Velocity{4000.0, 300.0};
    s.free = {kM};
    const Problem p = make_problem(start_parameters(), "parameters.inp", ten_points(), s);
    EXPECT_EQ(p.fitted, 6); // 57842 ... 57847, both ends in
    EXPECT_EQ(p.in_fit, std::vector<bool>({0, 0, 1, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(p.degrees_of_freedom(), 6);
    const Residuals r(p);
    EXPECT_EQ(r.count(), 7);
    std::vector<double> values(7);
    ASSERT_TRUE(r.evaluate(p.start, values.data()));
    // The last term is (v - 4000) / 300 with v from the closed form, 4764.75 km/s.
    EXPECT_NEAR(values[6], (4764.75 - 4000.0) / 300.0, 1e-4);
}

TEST(Problem, RefusesWhatCannotBeFitted) {
    using S = FitSettings;
    using P = snmodel::ModelState;
    const struct {
        std::function<void(S&, P&)> change;
        std::string message;
    } cases[] = {
        {[](S& s, P&) { bound(s, kR0, 4e13, 5e13, 7); },
         "snphot.toml:7: [fit] bounds.R0 = [4e+13, 5e+13] do not contain the start value 3e+13 "
         "(parameters.inp)"},
        {[](S&, P& p) { p.M = 60.0; },
         "parameters.inp: M = 60 lies outside the default bounds [1, 50] of the fit: give "
         "bounds.M in the [fit] table of snphot.toml"},
        {[](S& s, P&) { bound(s, kM, -1.0, 20.0, 3); },
         "snphot.toml:3: [fit] bounds.M: -1 must be positive"},
        {[](S& s, P&) {
             s.free = {kS};
             bound(s, kS, 1.0, 4.0, 5);
         },
         "snphot.toml:5: [fit] bounds.s: s must stay within (0, 3), (3, 5) or above 5"},
        {[](S& s, P&) { bound(s, kExplosionDate, 57830.0, 57841.0, 2); },
         "snphot.toml:2: [fit] bounds.explosion_date: the explosion could fall after the first "
         "data point 57840"},
        {[](S& s, P&) {
             s.explosion_date = 57845.0;
             s.explosion_date_source = "snphot.toml:9";
         },
         "snphot.toml:9: [fit] explosion_date 57845 is after the first data point 57840"},
        {[](S& s, P&) {
             s.explosion_date = 57820.0;
             s.explosion_date_source = "snphot.toml:9";
             bound(s, kExplosionDate, 57825.0, 57839.0, 4);
         },
         "snphot.toml:4: [fit] bounds.explosion_date = [57825, 57839] do not contain the start "
         "value 57820 (explosion_date in snphot.toml:9)"},
        {[](S& s, P&) { s.systematic = 0.0; },
         "bol-gorbe.txt:5: an uncertainty of 0 and no systematic: the point has no weight"},
        {[](S& s, P&) {
             s.dates = Bound{57844.0, 57848.0};
         },
         "bol-gorbe.txt: 5 data points in the fit for 5 free parameters: at least 6 are needed"},
        {[](S&, P& p) { p.s = 3.0; }, "parameters.inp: parameter 8 (s) must not be 3 or 5"},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.change), c.message);
    // Given bounds of the date without a start value: it starts in their middle.
    EXPECT_EQ(refusal([](S& s, P&) { bound(s, kExplosionDate, 57825.0, 57839.0, 4); }), "");
}

TEST(BolometricCurve, ReadsRowsOfThreeNumbersUntilOneDoesNot) {
    std::FILE* file = std::tmpfile();
    std::fputs("57836.648438 -15.295108 0.046120\n57837.6 -15.2 0.05\n"
               "57838.6 -15.1 oops\n57839.6 -15.0 0.05\n",
               file);
    std::rewind(file);
    testing::internal::CaptureStderr();
    const auto points = read_bolometric_curve(file, "bol-gorbe.txt");
    const std::string warning = testing::internal::GetCapturedStderr();
    std::fclose(file);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].date, 57836.648438);
    EXPECT_EQ(points[0].mag, -15.295108);
    EXPECT_EQ(points[0].error, 0.046120);
    EXPECT_EQ(points[1].line, 2);
    EXPECT_EQ(warning, "snphot: bol-gorbe.txt:3: not a row of three numbers; the rest of the "
                       "file is not read\n");
}
