#include "inputs.hpp"

#include "file.hpp"
#include "parameters.hpp"
#include "fit_constants.hpp"

namespace snfit {

Problem read_problem(const FitSettings& settings) {
    snphot::File parameter_file = snphot::open_checked(settings::kParameterFile, "r");
    snphot::File curve_file = snphot::open_checked(kBolometricCurve, "r");
    snmodel::ModelState parameters;
    snmodel::read_parameters(parameter_file.get(), settings::kParameterFile, parameters);
    std::vector<Point> points = read_bolometric_curve(curve_file.get(), kBolometricCurve);
    return make_problem(parameters, settings::kParameterFile, std::move(points), settings);
}

} // namespace snfit
