// Makes the example campaign: a supernova in a galaxy at 13.2 Mpc, observed on 40 nights around
// JD 2457834.5 in B V R I and in g r i z against the five comparison stars of the light-curve
// builders, a standard field observed on the same nights, model parameters, the B and I light
// curves a user would prepare for the bolometric light curve (followed for 250 days, made from the
// model of those parameters), and a spectrum around H-alpha with a lookup table. Everything is
// drawn from a fixed seed, so the same build makes the same files.
//
// Usage: make-example-campaign DIRECTORY
#include "bolcurve/bolometric.hpp"
#include "bolcurve/settings.hpp"
#include "file.hpp"
#include "lcbuild/settings_griz.hpp"
#include "parameters.hpp"
#include "problem.hpp"
#include "starcorr/settings.hpp" // the standard stars
#include "transformation.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// ---- The truth behind the example -------------------------------------------------------------

constexpr double kExplosion = 2457834.9; // JD of the explosion: just after the reference night
constexpr int kFirstNight = 2457826;     // JD at noon starting the first night of the campaign
constexpr int kLastNight = 2457871;
constexpr int kCloudedNights[] = {2457829, 2457838, 2457847, 2457855, 2457862, 2457866};
constexpr double kHostGriz[4] = {19.40, 18.90, 18.60, 18.45}; // galaxy light under the supernova

// z magnitudes of the five comparison stars (the builders' z catalogue is empty).
constexpr double kComparisonZ[5] = {15.91, 15.70, 16.30, 15.56, 14.87};

// Nightly zero points (instrumental minus catalogue) of the camera, by band, before the weather.
constexpr double kZeroPointGriz[4] = {-2.10, -2.35, -2.70, -3.20};
constexpr double kZeroPointVRIB[4] = {-2.25, -2.50, -2.95, -1.80};

// ---- A reproducible random stream (splitmix64 and Box-Muller) ---------------------------------

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double uniform() { return (next() >> 11) * 0x1.0p-53; }
    double gauss() {
        const double u = uniform() + 0x1.0p-54, v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * 3.141592653589793 * v);
    }

  private:
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

// ---- The supernova --------------------------------------------------------------------------

// g r i z of a hydrogen-rich supernova t days after explosion: a fast rise to a blue maximum,
// then a plateau that slowly fades and reddens.
std::array<double, 4> supernova_griz(double t) {
    const double r = 14.55 + 4.5 * std::exp(-t / 2.2) + 0.012 * t;
    const double g_r = -0.15 + 0.030 * t;
    const double r_i = -0.08 + 0.008 * t;
    const double i_z = -0.05 + 0.004 * t;
    return {r + g_r, r, r - r_i, r - r_i - i_z};
}

double combine(double m1, double m2) {
    return -2.5 * std::log10(std::pow(10.0, -0.4 * m1) + std::pow(10.0, -0.4 * m2));
}

// What the photometry sees at the supernova's position: the galaxy, plus the supernova once it
// has exploded.
std::array<double, 4> target_griz(double jd) {
    std::array<double, 4> m;
    for (int b = 0; b < 4; ++b) m[b] = kHostGriz[b];
    if (jd <= kExplosion) return m;
    const auto sn = supernova_griz(jd - kExplosion);
    for (int b = 0; b < 4; ++b) m[b] = combine(sn[b], kHostGriz[b]);
    return m;
}

// V Rc Ic B of g r i magnitudes, by the suite's own transformation.
std::array<double, 4> vrib_of(const std::array<double, 4>& griz) {
    const float rc = snphot::cousins_Rc(griz[1], griz[2]);
    return {snphot::johnson_V(griz[0], griz[1]), rc, snphot::cousins_Ic(rc, griz[1], griz[2]),
            snphot::johnson_B(griz[0], griz[1])};
}

double photometric_error(double mag) {
    return 0.004 + 0.012 * std::pow(10.0, 0.4 * (mag - 16.0));
}

// ---- Writing ------------------------------------------------------------------------------

struct Output {
    std::FILE* file;
    explicit Output(const std::string& path) : file(std::fopen(path.c_str(), "w")) {
        if (!file) {
            std::perror(path.c_str());
            std::exit(1);
        }
    }
    ~Output() { std::fclose(file); }
};

std::vector<int> campaign_nights() {
    std::vector<int> nights;
    for (int n = kFirstNight; n <= kLastNight; ++n) {
        bool clouded = false;
        for (int c : kCloudedNights) clouded = clouded || c == n;
        if (!clouded) nights.push_back(n);
    }
    return nights;
}

// One image: the stars' instrumental magnitudes are catalogue + zero point (+ colour term) + the
// image's extinction + noise; lines are written in a shuffled order, as photometry lists them.
struct Star {
    int id;
    double mag;    // in the image's band
    double colour; // catalogue g - i, for the colour term of the camera
};

void write_image(std::FILE* out, Random& rnd, const char* band, double jd, double zero_point,
                 double colour_coefficient, std::vector<Star> stars) {
    for (std::size_t k = stars.size(); k > 1; --k) {
        const std::size_t j = static_cast<std::size_t>(rnd.uniform() * k);
        std::swap(stars[k - 1], stars[j < k ? j : k - 1]);
    }
    for (const Star& s : stars) {
        const double err = photometric_error(s.mag);
        const double m = s.mag + zero_point + colour_coefficient * s.colour + err * rnd.gauss();
        std::fprintf(out, "%d %s %.5f %.4f %.4f\n", s.id, band, jd, m, err);
    }
}

const auto& cat = lcbuild::settings.catalogue;

std::array<double, 4> comparison_griz(int k) {
    return {cat[0][k], cat[1][k], cat[2][k], kComparisonZ[k]};
}

void write_supernova_fields(const std::string& dir, Random& rnd) {
    Output bvri(dir + "/Eredmeny-BVRI.txt"), griz(dir + "/Eredmeny-griz.txt");
    Output standard(dir + "/standard-field.txt");
    const char* griz_bands[4] = {"g", "r", "i", "z"};
    const char* vrib_bands[4] = {"V", "R", "I", "B"};
    for (int night : campaign_nights()) {
        const double start = night + 0.56 + 0.12 * rnd.uniform();
        std::array<double, 4> weather;
        for (double& w : weather) w = 0.05 * rnd.gauss();
        // The standard field first, then the supernova field in g r i z (ids 1-5 the comparison
        // stars, 6 the supernova), then in B V R I (ids 0-4 and 5).
        for (int b = 0; b < 4; ++b) {
            std::vector<Star> stars;
            for (int k = 0; k < starcorr::kStars; ++k) {
                const double g = starcorr::bands[0].catalogue[k],
                             i = starcorr::bands[2].catalogue[k];
                stars.push_back({k + 1, starcorr::bands[b].catalogue[k], g - i});
            }
            // starcorr reads its stars in file order: keep them in order.
            for (const Star& s : stars) {
                const double err = photometric_error(s.mag);
                const double m = s.mag + kZeroPointGriz[b] + weather[b] +
                                 starcorr::bands[b].colour_coefficient * s.colour +
                                 err * rnd.gauss();
                std::fprintf(standard.file, "%d %s %.5f %.4f %.4f\n", s.id, griz_bands[b],
                             start + 0.004 * b, m, err);
            }
        }
        const double griz_jd = start + 0.03;
        const auto target = target_griz(griz_jd);
        for (int b = 0; b < 4; ++b) {
            std::vector<Star> stars;
            for (int k = 0; k < 5; ++k) {
                const auto c = comparison_griz(k);
                stars.push_back({k + 1, c[b], c[0] - c[2]});
            }
            stars.push_back({6, target[b], target[0] - target[2]});
            write_image(griz.file, rnd, griz_bands[b], griz_jd + 0.006 * b,
                        kZeroPointGriz[b] + weather[b], lcbuild::settings.colour_coefficient[b],
                        stars);
        }
        const double vrib_jd = start + 0.07;
        const auto target_vrib = vrib_of(target_griz(vrib_jd));
        for (int b : {3, 0, 1, 2}) { // B V R I, the usual order at the telescope
            std::vector<Star> stars;
            for (int k = 0; k < 5; ++k) stars.push_back({k, vrib_of(comparison_griz(k))[b], 0.0});
            stars.push_back({5, target_vrib[b], 0.0});
            write_image(bvri.file, rnd, vrib_bands[b], vrib_jd + 0.006 * b,
                        kZeroPointVRIB[b] + weather[b], 0.0, stars);
        }
    }
}

// The magnitudes the example was made with, for checking what the programs recover.
void write_truth(const std::string& dir) {
    Output truth(dir + "/catalogue.txt");
    std::fprintf(truth.file, "# object g r i z: the comparison stars of the supernova field\n");
    for (int k = 0; k < 5; ++k) {
        const auto c = comparison_griz(k);
        std::fprintf(truth.file, "%d %.4f %.4f %.4f %.4f\n", k + 1, c[0], c[1], c[2], c[3]);
    }
}

void write_model_parameters(const std::string& dir) {
    Output p(dir + "/parameters.inp");
    std::fprintf(p.file, "%s",
                 "3.0e13\n"  // R0: initial radius, cm (about 430 solar radii)
                 "10.0\n"    // M: ejected mass, solar masses
                 "5500.0\n"  // Tion: recombination temperature, K
                 "0.05\n"    // Mni: nickel-56 mass, solar masses
                 "1.0\n"     // Ek: kinetic energy, 1e51 erg
                 "0.5\n"     // E: initial thermal energy, 1e51 erg
                 "0.0\n"     // a: exponent of the exponential envelope
                 "2.0\n"     // s: power-law envelope index
                 "0.3\n"     // kappa: opacity, cm^2/g
                 "0.0\n"     // Ep: extra power source, 1e51 erg
                 "0.0\n"     // tp: its time scale, days (0: none)
                 "30000.0\n" // Ag: gamma-ray leakage, days^2
                 "300.0\n"); // tmax: days
}

// ---- The B and I light curves behind the bolometric light curve -------------------------------
//
// B-gorbeA.txt and I-gorbeA.txt, as a user prepares them for bolcurve, follow the supernova for
// 250 days: the campaign's nights while it lasts, then follow-up nights that grow sparse on the
// tail. Their bolometric light curve is the model of parameters.inp exploding at kExplosion: the
// generator picks a B - I colour, takes bolcurve's bolometric correction of it, and undoes
// bolcurve's distance modulus and extinction. So snfit, given this campaign, should find
// parameters.inp and the explosion date again.

constexpr double kFollowUpDays = 250.0;
constexpr double kNightCalibration = 0.06; // mag: a zero-point error each night, common to B and I

std::vector<int> follow_up_nights(Random& rnd) {
    std::vector<int> nights;
    for (int night : campaign_nights())
        if (night + 0.65 > kExplosion + 1.0) nights.push_back(night);
    for (int night = kLastNight + 3; night + 0.65 < kExplosion + kFollowUpDays;) {
        if (rnd.uniform() > 0.2) nights.push_back(night); // one night in five is clouded out
        const double age = night - kExplosion;
        night += age < 120.0 ? 3 : age < 180.0 ? 5 : 8;
    }
    return nights;
}

// B - I, extinction removed, t days after the explosion: blue at first, reddening on the plateau.
double colour_at(double t) {
    return 0.35 + 1.9 * t / (t + 45.0);
}

double prepared_error(double mag) {
    return 0.01 + 0.02 * std::pow(10.0, 0.4 * (mag - 18.0));
}

void write_model_curves(const std::string& dir) {
    snmodel::ModelState truth;
    {
        snphot::File file(dir + "/parameters.inp", "r");
        snmodel::read_parameters(file.get(), "parameters.inp", truth);
    }
    Random rnd(20170320);
    const std::vector<int> nights = follow_up_nights(rnd);
    std::vector<double> dates;
    for (int night : nights) dates.push_back(night + 0.65 - 2400000.0);
    snfit::Values values = snfit::values_of(truth, kExplosion - 2400000.0);
    const std::vector<double> bolometric = snfit::model_magnitudes(values, dates);

    const double modulus = 5.0 * std::log10(static_cast<double>(bolcurve::kDistance)) - 5.0;
    Output b_curve(dir + "/B-gorbeA.txt"), i_curve(dir + "/I-gorbeA.txt");
    for (std::size_t k = 0; k < nights.size(); ++k) {
        const double colour = colour_at(dates[k] + 2400000.0 - kExplosion);
        const double b = bolometric[k] - bolcurve::bolom(static_cast<float>(colour)) + modulus;
        const double i = b - colour;
        const double night_error = kNightCalibration * rnd.gauss();
        const double b_err = prepared_error(b), i_err = prepared_error(i);
        std::fprintf(b_curve.file, "%f %f %f %f\n", dates[k],
                     b + bolcurve::kExtinctionB + night_error + b_err * rnd.gauss(), b_err,
                     std::hypot(b_err, 0.02));
        std::fprintf(i_curve.file, "%f %f %f %f\n", dates[k] + 0.01,
                     i + bolcurve::kExtinctionI + night_error + i_err * rnd.gauss(), i_err,
                     std::hypot(i_err, 0.02));
    }
}

// A spectrum around H-alpha with a P-Cygni profile at redshift 0.0044, in erg/s/cm2/A, and a
// lookup table of 5 A bins giving the velocity of each bin's upper edge relative to H-alpha.
void write_spectrum(const std::string& dir, Random& rnd) {
    Output spectrum(dir + "/PSNspectraCut2.txt"), lookup(dir + "/fasz");
    const double z1 = 1.0044, centre = 6563.0, absorption = centre * (1.0 - 0.043333333333333335);
    for (double w = 6250.0; w <= 6850.0; w += 2.0) {
        const double rest = w / z1;
        const double emission = 0.9 * std::exp(-0.5 * std::pow((rest - centre) / 60.0, 2));
        const double trough = 0.45 * std::exp(-0.5 * std::pow((rest - absorption) / 70.0, 2));
        const double flux = (1.0 + emission - trough) * (1.0 + 0.015 * rnd.gauss()) * 1e-15;
        std::fprintf(spectrum.file, "%.2f %.5e\n", w, flux);
    }
    int bin = 0;
    for (double a = 6225.0; a <= 6825.0; a += 5.0, ++bin)
        std::fprintf(lookup.file, "%.1f %.1f %d\n", a, (a - centre) / centre * 299792.458, bin);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-example-campaign DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    Random rnd(2457834);
    write_supernova_fields(dir, rnd);
    write_truth(dir);
    write_model_parameters(dir);
    write_model_curves(dir);
    write_spectrum(dir, rnd);
    return 0;
}
