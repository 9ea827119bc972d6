#include "epoch_table.hpp"

#include "truncate.hpp"

namespace bandconv {

std::int64_t day_number(float time) {
    return snphot::night_of(static_cast<double>(time) + 0.5);
}

Epoch& EpochTable::open_row(const snphot::LightCurveRow& record) {
    first_of_day_.try_emplace(day_number(record.time), rows_.size());
    rows_.push_back(Epoch{record.time, {}});
    return rows_.back();
}

void EpochTable::store(Epoch& row, int slot, const snphot::LightCurveRow& record) {
    row.bands[slot] = {record.mag, record.error, record.calib};
}

void EpochTable::add_first_slot(const snphot::LightCurveRow& record) {
    store(open_row(record), 0, record);
}

void EpochTable::merge(int slot, const snphot::LightCurveRow& record) {
    const auto day = first_of_day_.find(day_number(record.time));
    Epoch& row = day != first_of_day_.end() ? rows_[day->second] : open_row(record);
    store(row, slot, record);
}

} // namespace bandconv
