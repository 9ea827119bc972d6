// The numerical pieces of starcal: the zero-point corrections of a band by night, the weight of a
// calibrated magnitude, and the colour correction of an object's mean magnitude.
#pragma once

#include "weighted.hpp"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>

namespace starcal {

// One line of a correction file: reduced JD, zero-point offset Z and its scatter S.
struct Correction {
    float time = 0;
    float z = 0;
    float scatter = 0;
};

// The corrections of one band by night; a later line of a night replaces an earlier one.
class CorrectionTable {
  public:
    void add(const Correction& entry);
    // The correction for the night, or nullptr when the band has none.
    const Correction* of_night(std::int64_t night) const;
    std::size_t nights() const { return by_night_.size(); }

  private:
    std::unordered_map<std::int64_t, Correction> by_night_;
};

// Reads at most `max_lines` lines "time Z 0 S" of a correction file; a shorter file gives fewer
// entries. A line that is not four numbers throws RunFailure naming the file and the line.
CorrectionTable read_corrections(std::FILE* file, const std::string& name, int max_lines);

// The night of a full JD held in single precision: the integer part of JD - 2400000.
std::int64_t night_of_jd(float jd);

// sqrt(error^2 + S^2), single precision.
float combined_error(float error, float scatter);
// 0.1 / sigma^2, single precision.
float weight_of(float sigma);

// The object's mean M in a band with the colour term removed: M - c (G - I). A band without a
// colour term (c = 0) keeps M even when the object's g or i mean is undefined.
float colour_corrected(float mean, float coefficient, float g_mean, float i_mean);

} // namespace starcal
