#include "fit_settings.hpp"

#include "cli.hpp"

#include <algorithm>
#include <memory>

namespace snfit {

namespace {

using snphot::ByName;
using snphot::NumberPair;
using snphot::SettingsTable;

// The [fit] table in the words of the file, before its names become parameters.
struct FitKeys {
    std::vector<std::string> free;
    std::optional<double> explosion_date;
    ByName<NumberPair> bounds; // given ones with their line, built-in ones of free parameters
    std::optional<NumberPair> dates;
    double systematic = 0;
    std::optional<NumberPair> velocity;
    ByName<NumberPair> priors;
};

// The names a key may give: the parameters of the model and the explosion date, and the scatter
// of the posterior sampler.
std::vector<std::string> free_parameter_names() {
    std::vector<std::string> names;
    for (int index = 0; index < kAllParameters; ++index)
        if (free_parameter_index(parameter_info(index).name) == index)
            names.emplace_back(parameter_info(index).name);
    names.emplace_back(kScatterName);
    return names;
}

// The built-in bounds of the free parameters the table leaves unbounded, so that the printed table
// shows what a fit would use.
void add_default_bounds(FitKeys& keys) {
    for (const std::string& name : keys.free) {
        const int index = free_parameter_index(name);
        if (index == kExplosionDate || keys.bounds.contains(name)) continue;
        const Bound b = index < 0 ? kScatterBound : parameter_info(index).default_bound;
        keys.bounds[name] = {{b.low, b.high}, 0};
    }
}

FitKeys keys_of(const FitSettings& settings) {
    FitKeys keys;
    for (int index : settings.free) keys.free.emplace_back(parameter_info(index).name);
    if (settings.scatter) keys.free.emplace_back(kScatterName);
    keys.explosion_date = settings.explosion_date;
    for (const auto& [index, b] : settings.bounds)
        keys.bounds[parameter_info(index).name] = {{b.low, b.high}, 0};
    add_default_bounds(keys);
    if (settings.dates) keys.dates = NumberPair{settings.dates->low, settings.dates->high};
    keys.systematic = settings.systematic;
    if (settings.velocity) keys.velocity = NumberPair{settings.velocity->value, settings.velocity->sigma};
    for (const auto& [index, p] : settings.priors)
        keys.priors[parameter_info(index).name] = {{p.mean, p.sigma}, 0};
    if (settings.scatter_prior)
        keys.priors[kScatterName] = {{settings.scatter_prior->mean, settings.scatter_prior->sigma}, 0};
    return keys;
}

std::vector<int> free_of(const FitKeys& keys, const SettingsTable& table, bool& scatter) {
    if (keys.free.empty()) table.refuse(table.line("free"), "free names no parameter");
    std::vector<int> free;
    scatter = false;
    for (const std::string& name : keys.free) {
        if (name == kScatterName)
            scatter = true;
        else
            free.push_back(free_parameter_index(name));
    }
    if (free.empty()) table.refuse(table.line("free"), "free names no parameter of the model");
    return free;
}

// The bounds the file gives (the built-in ones stay out: the checks against the data tell them
// apart), each of a free parameter, low below high.
void read_bounds(FitKeys& keys, const SettingsTable& table, FitSettings& settings) {
    settings.bounds.clear();
    settings.bound_source.clear();
    std::erase_if(keys.bounds, [](const auto& entry) { return entry.second.line == 0; });
    settings.scatter_bound = kScatterBound;
    for (const auto& [name, entry] : keys.bounds) {
        const int index = free_parameter_index(name);
        const std::string key = "bounds." + name;
        if (name == kScatterName) {
            const auto [low, high] = entry.value;
            if (!settings.scatter)
                table.refuse(entry.line, key + ": scatter is not free (bounds hold free "
                                               "parameters only)");
            if (!(low > 0.0)) table.refuse(entry.line, key + ": must be positive");
            if (!(low < high)) table.refuse(entry.line, key + ": low must be below high");
            settings.scatter_bound = {low, high};
            continue;
        }
        if (std::find(settings.free.begin(), settings.free.end(), index) == settings.free.end())
            table.refuse(entry.line, key + ": " + name +
                                         " is not free (bounds hold free "
                                         "parameters only)");
        const auto [low, high] = entry.value;
        if (!(low < high)) table.refuse(entry.line, key + ": low must be below high");
        settings.bounds[index] = {low, high};
        settings.bound_source[index] = snphot::at_line(table.file, entry.line);
    }
    add_default_bounds(keys);
}

// The Gaussian priors, each of a free parameter (one more term of chi^2 of the fit; a prior of a
// fixed parameter would say nothing), of a positive sigma.
void read_priors(const FitKeys& keys, const SettingsTable& table, FitSettings& settings) {
    settings.priors.clear();
    settings.prior_source.clear();
    settings.scatter_prior.reset();
    for (const auto& [name, entry] : keys.priors) {
        const auto [mean, sigma] = entry.value;
        const std::string key = "priors." + name;
        const int index = free_parameter_index(name);
        const bool free =
            name == kScatterName
                ? settings.scatter
                : std::find(settings.free.begin(), settings.free.end(), index) != settings.free.end();
        if (!free) table.refuse(entry.line, key + ": " + name + " is not free");
        if (!(sigma > 0.0)) table.refuse(entry.line, key + ": sigma must be positive");
        if (name == kScatterName) {
            settings.scatter_prior = Prior{mean, sigma};
            continue;
        }
        settings.priors[index] = {mean, sigma};
        settings.prior_source[index] = snphot::at_line(table.file, entry.line);
    }
}

// The file's keys into the settings of the fit, checked against each other.
void complete(FitKeys& keys, const SettingsTable& table, FitSettings& settings) {
    settings.free = free_of(keys, table, settings.scatter);
    settings.explosion_date = keys.explosion_date;
    settings.explosion_date_source =
        keys.explosion_date ? snphot::at_line(table.file, table.line("explosion_date")) : "";
    read_bounds(keys, table, settings);
    settings.dates.reset();
    if (keys.dates) {
        const auto [first, last] = *keys.dates;
        if (first > last)
            table.refuse(table.line("dates"), "dates: the first date is after the last");
        settings.dates = Bound{first, last};
    }
    if (keys.systematic < 0.0)
        table.refuse(table.line("systematic"), "systematic must not be negative");
    settings.systematic = keys.systematic;
    settings.velocity.reset();
    if (keys.velocity) {
        const auto [value, sigma] = *keys.velocity;
        if (!(value > 0.0))
            table.refuse(table.line("velocity"), "velocity: the value must be positive");
        if (!(sigma > 0.0))
            table.refuse(table.line("velocity"), "velocity: sigma must be positive");
        settings.velocity = Velocity{value, sigma};
    }
    read_priors(keys, table, settings);
}

} // namespace

SettingsTable fit_table(FitSettings& settings) {
    const auto keys = std::make_shared<FitKeys>(keys_of(settings));
    SettingsTable table{
        "fit",
        "snfit: what the fit frees, where it starts and may go, which points it takes",
        {snphot::words("free", keys->free, free_parameter_names(),
                       "names of parameters.inp, and explosion_date"),
         snphot::number("explosion_date", keys->explosion_date,
                        "start, JD - 2400000; built in: 10 days before the first data point"),
         snphot::pairs_by_name("bounds", keys->bounds, free_parameter_names(),
                               "[low, high] per free parameter, units of parameters.inp "
                               "(explosion_date: from the data)"),
         snphot::pair("dates", keys->dates,
                      "JD - 2400000: only points within these dates enter the fit; built in: all"),
         snphot::number("systematic", keys->systematic,
                        "mag, added in quadrature to every uncertainty"),
         snphot::pair("velocity", keys->velocity,
                      "km/s: expansion velocity v and its sigma; built in: no constraint on v"),
         snphot::pairs_by_name("priors", keys->priors, free_parameter_names(),
                               "Gaussian [mean, sigma] per free parameter, units of "
                               "parameters.inp; built in: none")}};
    table.complete = [keys, &settings](const SettingsTable& read) {
        complete(*keys, read, settings);
    };
    return table;
}

} // namespace snfit
