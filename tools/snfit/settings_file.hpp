// Stand-in for the suite's settings reader: finds the [fit] table in "snphot.toml" of the working
// directory. It is kept apart so that the shared reader can replace it whole; parse_fit_table is
// what stays.
#pragma once

#include "fit_settings.hpp"

#include <string>

namespace snfit {

inline constexpr const char* kSettingsFile = "snphot.toml";

// The [fit] settings of the file; the defaults when there is no such file or no [fit] table. A
// file that cannot be read or is not TOML throws an InputError "snphot.toml[:LINE]: reason".
FitSettings load_fit_settings(const std::string& name = kSettingsFile);

} // namespace snfit
