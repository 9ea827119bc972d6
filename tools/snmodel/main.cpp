// snmodel: the semi-analytic bolometric light curve of a supernova after Arnett & Fu (1989).
//
// Reads the thirteen model parameters from "parameters.inp", writes a header with the parameters
// and the derived physical properties to "kimenet.out", then integrates the model from the
// explosion to tmax and writes a row every fifth step. The physical constants stand in
// settings.hpp.
#include "cli.hpp"
#include "file.hpp"
#include "light_curve.hpp"
#include "parameters.hpp"
#include "model_constants.hpp"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using namespace snphot;
using namespace snmodel;
using namespace snmodel::settings;

constexpr const char* kHelp =
    "snmodel: semi-analytic supernova light curve after Arnett & Fu, ApJ 340, 396 (1989).\n"
    "Reads   parameters.inp: thirteen numbers, R0 (cm), Mej (M_sol), Trec (K), MNi (M_sol),\n"
    "        Ekin (1e51 erg), Eth (1e51 erg), a, s, kappa (cm^2/g), Ep (1e51 erg), tp (d),\n"
    "        Ag (d^2), tmax (d, at most 36525: 100 years)\n"
    "Writes  kimenet.out: a header of the parameters and derived properties, then one row\n"
    "        (t/day Lsn logLsn Ldiff Lrec xi g_rad) every fifth integration step\n"
    "Prints  the time (days) and the step size (s) of every row written.\n"
    "Does not wait for a key.\n";

// Reads and checks the parameters, in the units of the file; false (with the message printed)
// for a missing file or a forbidden power-law index, whose closed-form integrals divide by 3 - s
// and 5 - s.
bool data(ModelState& parameters) {
    File file(kParameterFile, "r");
    if (!file) {
        std::printf("No paramter file!\n");
        return false;
    }
    read_parameters(file.get(), kParameterFile, parameters);
    if (forbidden_index(parameters.s)) {
        std::printf("Parameter error! The n = 3.0 and n = 5.0 are forbidden!\n");
        return false;
    }
    return true;
}

void write_header(std::FILE* out, const ModelState& m) {
    std::fprintf(out, "#Supernova light curve model based on Arnett & Fu ApJ 340, 396 (1989)\n");
    std::fprintf(out, "#\n");
    std::fprintf(out, "#Inital model parameters\n");
    std::fprintf(out, "#R0 = %lg cm\n", m.R0);
    std::fprintf(out, "#Mej = %lg M_sol\n", m.M / kSolarMass);
    std::fprintf(out, "#MNi = %lg M_sol\n", m.Mni / kSolarMass);
    std::fprintf(out, "#Eth = %lg erg\n", m.Eth);
    std::fprintf(out, "#Ekin = %lg erg\n", m.Ek);
    std::fprintf(out, "#Trec = %lg K\n", m.Tion);
    std::fprintf(out, "#kappa = %lg cm^2/g\n", m.kappa);
    std::fprintf(out, "#a = %lg \n", m.a);
    std::fprintf(out, "#s = %lg \n", m.s);
    std::fprintf(out, "#Ep = %lg erg\n", m.Ep);
    std::fprintf(out, "#tp= %lg d\n", m.tp / kDay);
    std::fprintf(out, "#Ag = %lg d^2\n", m.Ag / kDaySquared);
    std::fprintf(out, "#\n");
    std::fprintf(out, "#Calaculated physical properties \n");
    std::fprintf(out, "#v = %lg km/s\n", m.v / kVelocityUnit);
    std::fprintf(out, "#rho0 = %lg g/cm^3\n", m.rho);
    std::fprintf(out, "#td = %lg d\n", m.td / kDay);
    std::fprintf(out, "#th = %lg d\n", m.th / kDay);
    std::fprintf(out, "#t0 = %lg d\n", m.t0 / kDay);
    std::fprintf(out, "#\n");
    std::fprintf(out, "#t/day    Lsn    logLsn     Ldiff      Lrec \t  xi    g_rad\n");
}

void write_row(std::FILE* out, const ModelState& m) {
    std::fprintf(out, "%lf %lg %lg %lg %lg %lg %f\n", m.t / kDay, m.Lsn, std::log10(m.Lsn), m.L, m.Lion, m.xi,
                 m.g);
    std::printf("%f %f   \n", m.t / kDay, m.dt);
}

// A refused parameter file leaves kimenet.out created and empty, as snmodel has always left it.
void leave_output_empty(File& out) {
    close_written(out);
    commit_outputs();
}

int run() {
    File out = open_output(kOutputFile);
    ModelState parameters;
    try {
        if (!data(parameters)) {
            leave_output_empty(out);
            return 1;
        }
    } catch (const RunFailure&) {
        leave_output_empty(out);
        throw;
    }
    ModelState m = prepare_model(parameters);
    write_header(out.get(), m);
    // A row at steps 0, 5, 10, ... whatever the step size.
    integrate(m, [&](const ModelState& step, bool written) {
        if (written) write_row(out.get(), step);
    });
    close_written(out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return snphot::run_program(argc, argv, {"snmodel", kHelp}, run);
}
