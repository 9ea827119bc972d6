#include "calibration.hpp"

#include "cli.hpp"
#include "photometry.hpp"
#include "scanner.hpp"
#include "truncate.hpp"

#include <cmath>

namespace starcal {

void CorrectionTable::add(const Correction& entry) {
    by_night_.insert_or_assign(snphot::night_of(entry.time), entry);
}

const Correction* CorrectionTable::of_night(std::int64_t night) const {
    auto it = by_night_.find(night);
    return it == by_night_.end() ? nullptr : &it->second;
}

CorrectionTable read_corrections(std::FILE* file, const std::string& name, int max_lines) {
    snphot::Scanner in(file, name);
    CorrectionTable table;
    for (int j = 0; j < max_lines; ++j) {
        in.skip_space();
        if (in.at_end()) break;
        const long line = in.line();
        Correction entry;
        float unused;
        if (!in.read_float(entry.time) || !in.read_float(entry.z) || !in.read_float(unused) ||
            !in.read_float(entry.scatter)) {
            throw snphot::RunFailure(snphot::at_line(name, line),
                                     "not a correction line of four numbers (JD, offset, 0, "
                                     "scatter)");
        }
        if (entry.z == 0.0f) {
            snphot::warn(snphot::at_line(name, line),
                         "a zero-point offset of 0 counts as no correction: the images of its "
                         "night are left out");
        }
        table.add(entry);
    }
    return table;
}

std::int64_t night_of_jd(float jd) {
    return snphot::night_of(static_cast<long double>(jd) - snphot::kJdOffset);
}

float combined_error(float error, float scatter) {
    return snphot::root_sum_of_squares(error, scatter);
}

float weight_of(float sigma) {
    return static_cast<float>(static_cast<long double>(0.1) /
                              (static_cast<long double>(sigma) * sigma));
}

float colour_corrected(float mean, float coefficient, float g_mean, float i_mean) {
    if (coefficient == 0.0f) return mean;
    const long double colour = static_cast<long double>(g_mean) - i_mean;
    return static_cast<float>(mean - coefficient * colour);
}

} // namespace starcal
