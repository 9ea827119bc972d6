// The epoch table of bandconv: the records of the four input light curves merged into rows, one
// row per epoch, the bands of one day number sharing a row.
#pragma once

#include "lightcurve.hpp"
#include "transformation.hpp"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace bandconv {

// The day number of a time: time + 0.5 truncated toward zero. With reduced Julian Dates it
// changes at 0 h UT, so that the images of one night share it.
std::int64_t day_number(float time);

struct Epoch {
    float time = 0;      // time of the record that created the row
    snphot::Bands bands; // band slots 1-4; magnitude 0 where the slot has no record
};

class EpochTable {
  public:
    // A record of slot 1 always opens a row of its own, also when a row of its day exists.
    void add_first_slot(const snphot::LightCurveRow& record);
    // A record of slot 2, 3 or 4 (index 1-3) goes into the first row of its day number,
    // replacing what an earlier record of that slot put there, or opens a new row.
    void merge(int slot, const snphot::LightCurveRow& record);

    const std::vector<Epoch>& rows() const { return rows_; }

  private:
    void store(Epoch& row, int slot, const snphot::LightCurveRow& record);
    Epoch& open_row(const snphot::LightCurveRow& record);

    std::vector<Epoch> rows_;
    std::unordered_map<std::int64_t, std::size_t> first_of_day_; // day number -> first row
};

} // namespace bandconv
