// The parameter file "parameters.inp": thirteen numbers describing one explosion, in the order
// R0 M Tion Mni Ek E a s kappa Ep tp Ag tmax and in the units of the file (cm, solar masses, K,
// 1e51 erg, days, days squared).
#pragma once

#include "model.hpp"

#include <array>
#include <cstdio>
#include <string>

namespace snmodel {

struct Parameter {
    const char* name;
    double ModelState::*field;
};

inline constexpr std::array<Parameter, 13> kParameters = {{{"R0", &ModelState::R0},
                                                           {"M", &ModelState::M},
                                                           {"Tion", &ModelState::Tion},
                                                           {"Mni", &ModelState::Mni},
                                                           {"Ek", &ModelState::Ek},
                                                           {"E", &ModelState::E},
                                                           {"a", &ModelState::a},
                                                           {"s", &ModelState::s},
                                                           {"kappa", &ModelState::kappa},
                                                           {"Ep", &ModelState::Ep},
                                                           {"tp", &ModelState::tp},
                                                           {"Ag", &ModelState::Ag},
                                                           {"tmax", &ModelState::tmax}}};

// Reads the thirteen numbers into the parameter fields of `m`, in the units of the file. Every
// parameter must be there and be a finite number, and describe a physical explosion: radius,
// mass, recombination temperature, opacity and kinetic energy positive; nickel mass, thermal
// energy and the extra source (Ep, tp, Ag) not negative. Anything else throws a RunFailure that
// names the file, the line and the parameter: a run on zeros or on a broken value would only
// fill the output with rows of NaN, or never end.
void read_parameters(std::FILE* file, const std::string& name, ModelState& m);

// The check of one parameter's value, by its index in kParameters; "" when it is acceptable,
// else what is wrong with it ("must be positive", ...).
std::string parameter_fault(int index, double value);

} // namespace snmodel
