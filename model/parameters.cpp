#include "parameters.hpp"

#include "cli.hpp"
#include "scanner.hpp"

#include <cmath>

namespace snmodel {

namespace {

enum class Sign { any, positive, not_negative };

// What each parameter may be, in the order of the file. The envelope exponents a and s are
// checked by the model itself (s = 3 and s = 5 have their own message); tmax may be negative,
// which gives the header alone.
constexpr std::array<Sign, kParameters.size()> kSigns = {
    Sign::positive,     // R0
    Sign::positive,     // M
    Sign::positive,     // Tion
    Sign::not_negative, // Mni
    Sign::positive,     // Ek
    Sign::not_negative, // E
    Sign::any,          // a
    Sign::any,          // s
    Sign::positive,     // kappa
    Sign::not_negative, // Ep
    Sign::not_negative, // tp
    Sign::not_negative, // Ag
    Sign::any,          // tmax
};

std::string which(int index) {
    return "parameter " + std::to_string(index + 1) + " (" + kParameters[index].name + ")";
}

} // namespace

std::string parameter_fault(int index, double value) {
    if (!std::isfinite(value)) return "is not a finite number";
    switch (kSigns[index]) {
    case Sign::positive:
        return value > 0.0 ? "" : "must be positive";
    case Sign::not_negative:
        return value >= 0.0 ? "" : "must not be negative";
    case Sign::any:
        break;
    }
    return "";
}

namespace {

void read_all(snphot::Scanner& in, ModelState& m) {
    using snphot::RunFailure;
    const int count = static_cast<int>(kParameters.size());
    for (int i = 0; i < count; ++i) {
        in.skip_space();
        if (in.at_end())
            throw RunFailure(in.name(), which(i) + " is missing: the file holds " +
                                            std::to_string(i) + " of the " + std::to_string(count) +
                                            " numbers");
        const long line = in.line();
        double& value = m.*kParameters[i].field;
        if (!in.read_double(value)) {
            const char* fault = in.non_finite() ? " is not a finite number" : " is not a number";
            throw RunFailure(snphot::at_line(in.name(), line), which(i) + fault);
        }
        const std::string fault = parameter_fault(i, value);
        if (!fault.empty())
            throw RunFailure(snphot::at_line(in.name(), line), which(i) + " " + fault);
    }
}

} // namespace

void read_parameters(std::FILE* file, const std::string& name, ModelState& m) {
    snphot::Scanner in(file, name);
    try {
        read_all(in, m);
    } catch (const snphot::RunFailure& error) {
        // snmodel has always said "cannot be read" of a parameter file it cannot read.
        const std::string reason = error.what();
        const std::string prefix = "cannot read: ";
        if (reason.rfind(prefix, 0) != 0) throw;
        throw snphot::RunFailure(error.where(), "cannot be read: " + reason.substr(prefix.size()));
    }
}

} // namespace snmodel
