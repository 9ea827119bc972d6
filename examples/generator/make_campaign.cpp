// Makes the example fields: a supernova observed night after night in B V R I and in g r i z
// against five comparison stars, a standard field observed on the same nights, the B and I light
// curves a user would prepare for the bolometric light curve (followed for 250 days; their
// bolometric light curve is the model of one explosion, so that snfit can find it again), and the
// settings file snphot.toml with the catalogue, distance, extinction and reference night the field
// was made with. The campaign (a galaxy at 13.2 Mpc, 40 nights around JD 2457834.5) also has the
// model parameters of that explosion and a spectrum around H-alpha with a lookup table;
// another-field is a second, smaller one: the same explosion, farther away and behind more dust,
// in another field of comparison stars and another season. Everything is drawn from fixed seeds,
// so the same build makes the same files. The generator carries its own truth and reads nothing
// from the programs' built-in settings.
//
// Usage: make-example-campaign DIRECTORY [campaign | another-field]
#include "bolcurve/bolometric.hpp"
#include "file.hpp"
#include "parameters.hpp"
#include "problem.hpp"
#include "transformation.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// ---- The truth behind the examples ------------------------------------------------------------

using Griz = std::array<double, 4>; // g r i z
// Catalogue magnitudes and colour terms are single precision, as the programs hold them.
using FiveStars = std::array<float, 5>;     // one magnitude for each of five stars
using Catalogue = std::array<FiveStars, 4>; // g r i z of five stars

struct Field {
    std::uint64_t seed;
    std::uint64_t curve_seed; // of the B and I light curves of the bolometric light curve
    double explosion;         // JD of the explosion: just after the reference night
    double reference_date;    // JD - 2400000 on the reference night, galaxy alone
    int first_night;          // JD at noon starting the first night of the campaign
    int last_night;
    std::vector<int> clouded;    // nights lost to the weather
    Griz host;                   // galaxy light under the supernova
    Catalogue comparison;        // the five comparison stars, rows 0-4 of a sorted block
    Catalogue standard;          // the five standard stars, positions 1-5
    std::array<float, 4> colour; // colour terms of the camera (g r i z), of the g - i colour
    // Nightly zero points (instrumental minus catalogue) of the camera, before the weather.
    Griz zero_point_griz;
    std::array<double, 4> zero_point_vrib; // V R I B
    double distance_pc;
    double extinction_B, extinction_I; // mag
    bool model_and_spectrum;           // also parameters.inp and the H-alpha spectrum
};

// The standard field of the observatory, observed with both fields.
constexpr Catalogue kStandardField = {{
    {15.32f, 14.98f, 15.47f, 15.12f, 15.31f}, // g
    {14.68f, 14.44f, 14.99f, 14.70f, 14.88f}, // r
    {14.44f, 14.85f, 14.84f, 14.55f, 14.72f}, // i
    {14.31f, 14.23f, 14.79f, 14.49f, 14.68f}, // z
}};

const Field kCampaign = {
    .seed = 2457834,
    .curve_seed = 20170320,
    .explosion = 2457834.9,
    .reference_date = 57834.5,
    .first_night = 2457826,
    .last_night = 2457871,
    .clouded = {2457829, 2457838, 2457847, 2457855, 2457862, 2457866},
    .host = {19.40, 18.90, 18.60, 18.45},
    .comparison = {{
        {16.54f, 16.61f, 16.98f, 16.26f, 15.84f}, // g
        {16.14f, 15.99f, 16.53f, 15.84f, 15.23f}, // r
        {16.00f, 15.81f, 16.39f, 15.67f, 15.03f}, // i
        {15.91f, 15.70f, 16.30f, 15.56f, 14.87f}, // z
    }},
    .standard = kStandardField,
    .colour = {-0.125f, -0.009f, -0.095f, 0.0f},
    .zero_point_griz = {-2.10, -2.35, -2.70, -3.20},
    .zero_point_vrib = {-2.25, -2.50, -2.95, -1.80},
    .distance_pc = 13200000.0,
    .extinction_B = 0.146,
    .extinction_I = 0.061,
    .model_and_spectrum = true,
};

const Field kAnotherField = {
    .seed = 2458485,
    .curve_seed = 20190108,
    .explosion = 2458485.9,
    .reference_date = 58485.5,
    .first_night = 2458481,
    .last_night = 2458506,
    .clouded = {2458488, 2458497},
    .host = {19.90, 19.30, 19.05, 18.90},
    .comparison = {{
        {17.12f, 15.93f, 16.47f, 17.35f, 16.02f}, // g
        {16.58f, 15.41f, 16.12f, 16.70f, 15.66f}, // r
        {16.37f, 15.22f, 15.98f, 16.44f, 15.51f}, // i
        {16.25f, 15.10f, 15.90f, 16.30f, 15.42f}, // z
    }},
    .standard = kStandardField,
    .colour = {-0.125f, -0.009f, -0.095f, 0.0f},
    .zero_point_griz = {-2.05, -2.30, -2.68, -3.15},
    .zero_point_vrib = {-2.20, -2.46, -2.90, -1.76},
    .distance_pc = 21500000.0,
    .extinction_B = 0.412,
    .extinction_I = 0.172,
    .model_and_spectrum = false,
};

// How much fainter than in the campaign the supernova of a field looks in each band: its distance
// modulus and extinction beyond those of the campaign. Extinction in g r i z lies between the B
// and I values by wavelength.
struct Dimming {
    Griz griz;
    double B, I;
};

Dimming dimming_of(const Field& f) {
    const double modulus = 5.0 * std::log10(f.distance_pc / kCampaign.distance_pc);
    const double B = f.extinction_B - kCampaign.extinction_B;
    const double I = f.extinction_I - kCampaign.extinction_I;
    const Griz towards_B = {0.8, 0.45, 0.1, -0.2};
    Dimming d{{}, modulus + B, modulus + I};
    for (int b = 0; b < 4; ++b) d.griz[b] = modulus + I + towards_B[b] * (B - I);
    return d;
}

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
std::array<double, 4> target_griz(const Field& f, double jd) {
    std::array<double, 4> m;
    for (int b = 0; b < 4; ++b) m[b] = f.host[b];
    if (jd <= f.explosion) return m;
    const auto sn = supernova_griz(jd - f.explosion);
    const Dimming dim = dimming_of(f);
    for (int b = 0; b < 4; ++b) m[b] = combine(sn[b] + dim.griz[b], f.host[b]);
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

std::vector<int> campaign_nights(const Field& f) {
    std::vector<int> nights;
    for (int n = f.first_night; n <= f.last_night; ++n) {
        bool clouded = false;
        for (int c : f.clouded) clouded = clouded || c == n;
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

std::array<double, 4> comparison_griz(const Field& f, int k) {
    return {f.comparison[0][k], f.comparison[1][k], f.comparison[2][k], f.comparison[3][k]};
}

void write_supernova_fields(const std::string& dir, const Field& f, Random& rnd) {
    Output bvri(dir + "/Eredmeny-BVRI.txt"), griz(dir + "/Eredmeny-griz.txt");
    Output standard(dir + "/standard-field.txt");
    const char* griz_bands[4] = {"g", "r", "i", "z"};
    const char* vrib_bands[4] = {"V", "R", "I", "B"};
    for (int night : campaign_nights(f)) {
        const double start = night + 0.56 + 0.12 * rnd.uniform();
        std::array<double, 4> weather;
        for (double& w : weather) w = 0.05 * rnd.gauss();
        // The standard field first, then the supernova field in g r i z (ids 1-5 the comparison
        // stars, 6 the supernova), then in B V R I (ids 0-4 and 5).
        for (int b = 0; b < 4; ++b) {
            std::vector<Star> stars;
            for (int k = 0; k < 5; ++k) {
                const double g = f.standard[0][k], i = f.standard[2][k];
                stars.push_back({k + 1, f.standard[b][k], g - i});
            }
            // starcorr reads its stars in file order: keep them in order.
            for (const Star& s : stars) {
                const double err = photometric_error(s.mag);
                const double m = s.mag + f.zero_point_griz[b] + weather[b] +
                                 f.colour[b] * s.colour + err * rnd.gauss();
                std::fprintf(standard.file, "%d %s %.5f %.4f %.4f\n", s.id, griz_bands[b],
                             start + 0.004 * b, m, err);
            }
        }
        const double griz_jd = start + 0.03;
        const auto target = target_griz(f, griz_jd);
        for (int b = 0; b < 4; ++b) {
            std::vector<Star> stars;
            for (int k = 0; k < 5; ++k) {
                const auto c = comparison_griz(f, k);
                stars.push_back({k + 1, c[b], c[0] - c[2]});
            }
            stars.push_back({6, target[b], target[0] - target[2]});
            write_image(griz.file, rnd, griz_bands[b], griz_jd + 0.006 * b,
                        f.zero_point_griz[b] + weather[b], f.colour[b], stars);
        }
        const double vrib_jd = start + 0.07;
        const auto target_vrib = vrib_of(target_griz(f, vrib_jd));
        for (int b : {3, 0, 1, 2}) { // B V R I, the usual order at the telescope
            std::vector<Star> stars;
            for (int k = 0; k < 5; ++k)
                stars.push_back({k, vrib_of(comparison_griz(f, k))[b], 0.0});
            stars.push_back({5, target_vrib[b], 0.0});
            write_image(bvri.file, rnd, vrib_bands[b], vrib_jd + 0.006 * b,
                        f.zero_point_vrib[b] + weather[b], 0.0, stars);
        }
    }
}

// The magnitudes the example was made with, for checking what the programs recover.
void write_truth(const std::string& dir, const Field& f) {
    Output truth(dir + "/catalogue.txt");
    std::fprintf(truth.file, "# object g r i z: the comparison stars of the supernova field\n");
    for (int k = 0; k < 5; ++k) {
        const auto c = comparison_griz(f, k);
        std::fprintf(truth.file, "%d %.4f %.4f %.4f %.4f\n", k + 1, c[0], c[1], c[2], c[3]);
    }
}

// The explosion behind the B and I light curves of both fields, as "parameters.inp" holds it.
constexpr const char* kModelParameters =
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
    "300.0\n";  // tmax: days

void write_model_parameters(const std::string& dir) {
    Output p(dir + "/parameters.inp");
    std::fprintf(p.file, "%s", kModelParameters);
}

snmodel::ModelState model_truth() {
    std::string text = kModelParameters;
    std::FILE* file = fmemopen(text.data(), text.size(), "r");
    snmodel::ModelState truth;
    snmodel::read_parameters(file, "parameters.inp", truth);
    std::fclose(file);
    return truth;
}

// The explosion as snfit and snpost name its parameters, for snplot to draw on the corner plot.
void write_explosion_truth(const std::string& dir, const Field& f) {
    const snmodel::ModelState truth = model_truth();
    Output out(dir + "/truth.txt");
    std::fprintf(out.file,
                 "# The explosion the campaign's light curves were made from (make_campaign.cpp):\n"
                 "# snplot draws these values on the corner plot of snpost's posterior.\n");
    std::fprintf(out.file, "explosion_date %.1f\nR0 %g\nM %g\nEk %g\nMni %g\n",
                 f.explosion - 2400000.0, truth.R0, truth.M, truth.Ek, truth.Mni);
}

// The spectrum of the campaign: the redshift of its galaxy and the width of the bins of its lookup
// table, in angstrom.
constexpr double kRedshift = 0.0044;
constexpr double kBinWidth = 5.0;

// ---- The B and I light curves behind the bolometric light curve -------------------------------
//
// B-gorbeA.txt and I-gorbeA.txt, as a user prepares them for bolcurve, follow the supernova for
// 250 days: the campaign's nights while it lasts, then follow-up nights that grow sparse on the
// tail. Their bolometric light curve is the model of parameters.inp exploding at the field's
// explosion: the generator picks a B - I colour, takes bolcurve's bolometric correction of it, and
// undoes bolcurve's distance modulus and extinction. So snfit, given this campaign, should find
// parameters.inp and the explosion date again.

constexpr double kFollowUpDays = 250.0;
constexpr double kNightCalibration = 0.06; // mag: a zero-point error each night, common to B and I

std::vector<int> follow_up_nights(const Field& f, Random& rnd) {
    std::vector<int> nights;
    for (int night : campaign_nights(f))
        if (night + 0.65 > f.explosion + 1.0) nights.push_back(night);
    for (int night = f.last_night + 3; night + 0.65 < f.explosion + kFollowUpDays;) {
        if (rnd.uniform() > 0.2) nights.push_back(night); // one night in five is clouded out
        const double age = night - f.explosion;
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

void write_model_curves(const std::string& dir, const Field& f) {
    const snmodel::ModelState truth = model_truth();
    Random rnd(f.curve_seed);
    const std::vector<int> nights = follow_up_nights(f, rnd);
    std::vector<double> dates;
    for (int night : nights) dates.push_back(night + 0.65 - 2400000.0);
    snfit::Values values = snfit::values_of(truth, f.explosion - 2400000.0);
    const std::vector<double> bolometric = snfit::model_magnitudes(values, dates);

    const double modulus = 5.0 * std::log10(f.distance_pc) - 5.0;
    Output b_curve(dir + "/B-gorbeA.txt"), i_curve(dir + "/I-gorbeA.txt");
    for (std::size_t k = 0; k < nights.size(); ++k) {
        const double colour = colour_at(dates[k] + 2400000.0 - f.explosion);
        const double b = bolometric[k] - bolcurve::bolom(static_cast<float>(colour)) + modulus;
        const double i = b - colour;
        const double night_error = kNightCalibration * rnd.gauss();
        const double b_err = prepared_error(b), i_err = prepared_error(i);
        std::fprintf(b_curve.file, "%f %f %f %f\n", dates[k],
                     b + f.extinction_B + night_error + b_err * rnd.gauss(), b_err,
                     std::hypot(b_err, 0.02));
        std::fprintf(i_curve.file, "%f %f %f %f\n", dates[k] + 0.01,
                     i + f.extinction_I + night_error + i_err * rnd.gauss(), i_err,
                     std::hypot(i_err, 0.02));
    }
}

// A spectrum around H-alpha with a P-Cygni profile at redshift 0.0044, in erg/s/cm2/A, and a
// lookup table of 5 A bins giving the velocity of each bin's upper edge relative to H-alpha.
void write_spectrum(const std::string& dir, Random& rnd) {
    Output spectrum(dir + "/PSNspectraCut2.txt"), lookup(dir + "/fasz");
    const double z1 = 1.0 + kRedshift, centre = 6563.0;
    const double absorption = centre * (1.0 - 0.043333333333333335);
    for (double w = 6250.0; w <= 6850.0; w += 2.0) {
        const double rest = w / z1;
        const double emission = 0.9 * std::exp(-0.5 * std::pow((rest - centre) / 60.0, 2));
        const double trough = 0.45 * std::exp(-0.5 * std::pow((rest - absorption) / 70.0, 2));
        const double flux = (1.0 + emission - trough) * (1.0 + 0.015 * rnd.gauss()) * 1e-15;
        std::fprintf(spectrum.file, "%.2f %.5e\n", w, flux);
    }
    int bin = 0;
    for (double a = 6225.0; a <= 6825.0; a += kBinWidth, ++bin)
        std::fprintf(lookup.file, "%.1f %.1f %d\n", a, (a - centre) / centre * 299792.458, bin);
}

// ---- The settings file of a field ------------------------------------------------------------

// A number as a settings file writes it: the shortest text that reads back as the same value.
template <typename T> std::string toml_number(T value) {
    char text[64];
    std::string number(text, std::to_chars(text, text + sizeof text, value).ptr);
    if (number.find_first_of(".e") == std::string::npos) number += ".0";
    return number;
}

template <typename Array> std::string toml_array(const Array& values) {
    std::string text = "[";
    for (std::size_t k = 0; k < values.size(); ++k)
        text += (k ? ", " : "") + toml_number(values[k]);
    return text + "]";
}

// snphot.toml: the truth of the field in the tables of the suite, so that the programs reduce it
// as it was made whatever their built-in values.
void write_settings(const std::string& dir, const Field& f) {
    Output out(dir + "/snphot.toml");
    const char* bands = "griz";
    std::fprintf(out.file,
                 "# The settings this field was made with (examples/generator/make_campaign.cpp):\n"
                 "# every program of the suite reads its own tables here, in its working "
                 "directory.\n"
                 "\n[comparison]\n"
                 "# The comparison stars, rows 0-4 of an image block sorted by identifier.\n"
                 "# V R I B are left out: lcbuild-bvri derives them from g r i, as bandtab "
                 "prints them.\n");
    for (int b = 0; b < 3; ++b)
        std::fprintf(out.file, "%c = %s\n", bands[b], toml_array(f.comparison[b]).c_str());
    std::fprintf(out.file,
                 "# No z catalogue for the light-curve builders: the z light curve is measured\n"
                 "# against the mean of the comparison stars (their z magnitudes are in\n"
                 "# catalogue.txt).\n"
                 "z = [0.0, 0.0, 0.0, 0.0, 0.0]\n"
                 "\n[colour]\n"
                 "griz = %s  # the camera's colour terms, of the g - i colour\n"
                 "bvri = [0.0, 0.0, 0.0, 0.0]  # none in B V R I\n"
                 "\n[standard_field]\n"
                 "# The standard stars observed on the same nights, positions 1-5 of a block.\n",
                 toml_array(f.colour).c_str());
    for (int b = 0; b < 4; ++b)
        std::fprintf(out.file, "%c = %s\n", bands[b], toml_array(f.standard[b]).c_str());
    std::fprintf(out.file,
                 "\n[subtraction]\n"
                 "reference_date = %s  # a night before the explosion: the galaxy alone\n"
                 "\n[bolometric]\n"
                 "extinction_B = %s  # mag\n"
                 "extinction_I = %s  # mag\n"
                 "distance_pc = %s\n"
                 "\n[bandconv]\n"
                 "direction = \"griz-to-bvri\"\n",
                 toml_number(f.reference_date).c_str(), toml_number(f.extinction_B).c_str(),
                 toml_number(f.extinction_I).c_str(), toml_number(f.distance_pc).c_str());
    if (f.model_and_spectrum)
        std::fprintf(out.file,
                     "\n[spectrum]\n"
                     "redshift = %s\n"
                     "bin_width = %s  # of the lookup table fasz, angstrom\n",
                     toml_number(kRedshift).c_str(), toml_number(kBinWidth).c_str());
    if (f.model_and_spectrum) {
        // The supernova is missing on the images of the reference night and there from the first
        // bolometric point on: the explosion lies between, and the fit is told so.
        Random unused(0);
        const double first_point = follow_up_nights(f, unused).front() + 0.65 - 2400000.0;
        std::fprintf(out.file,
                     "\n[fit]\n"
                     "# The explosion lies between the reference night and the first point.\n"
                     "bounds = { explosion_date = [%s, %s] }\n",
                     toml_number(std::round((f.reference_date + 0.1) * 100) / 100).c_str(),
                     toml_number(std::round((first_point - 0.05) * 100) / 100).c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string which = argc == 3 ? argv[2] : "campaign";
    if ((argc != 2 && argc != 3) || (which != "campaign" && which != "another-field")) {
        std::fprintf(stderr, "usage: make-example-campaign DIRECTORY [campaign | another-field]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const Field& field = which == "campaign" ? kCampaign : kAnotherField;
    Random rnd(field.seed);
    write_supernova_fields(dir, field, rnd);
    if (field.model_and_spectrum) write_model_parameters(dir);
    write_model_curves(dir, field); // followed for 250 days, from the model
    write_truth(dir, field);
    write_settings(dir, field);
    if (field.model_and_spectrum) write_spectrum(dir, rnd);
    if (field.model_and_spectrum) write_explosion_truth(dir, field);
    return 0;
}
