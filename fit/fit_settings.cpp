#include "fit_settings.hpp"

#include "cli.hpp"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace snfit {

namespace {

using snphot::RunFailure;

class TableReader {
  public:
    explicit TableReader(std::string file) : file_(std::move(file)) {}

    [[noreturn]] void fail(const toml::node& node, const std::string& reason) const {
        throw RunFailure(where(node), "[fit] " + reason);
    }
    std::string where(const toml::node& node) const {
        return snphot::at_line(file_, static_cast<long>(node.source().begin.line));
    }

    double number(const toml::node& node, const std::string& key) const {
        if (!node.is_number()) fail(node, key + ": must be a number");
        const double value = node.value<double>().value_or(NAN);
        if (!std::isfinite(value)) fail(node, key + ": must be a finite number");
        return value;
    }

    // An array of two numbers.
    Bound pair(const toml::node& node, const std::string& key) const {
        const toml::array* array = node.as_array();
        if (!array || array->size() != 2) fail(node, key + ": must be an array of two numbers");
        return {number(*array->get(0), key), number(*array->get(1), key)};
    }

    int parameter(const toml::node& node, std::string_view name, const std::string& key) const {
        const int index = free_parameter_index(name);
        if (index < 0)
            fail(node, key + ": '" + std::string(name) +
                           "' is not a parameter of the fit (R0, M, Tion, Mni, Ek, E, a, s, "
                           "kappa, Ep, tp, Ag, explosion_date)");
        return index;
    }

  private:
    std::string file_;
};

void read_free(const TableReader& in, const toml::node& node, FitSettings& settings) {
    const toml::array* array = node.as_array();
    if (!array) in.fail(node, "free: must be an array of parameter names");
    if (array->empty()) in.fail(node, "free: names no parameter");
    std::vector<int> free;
    settings.scatter = false;
    for (const toml::node& element : *array) {
        if (!element.is_string()) in.fail(element, "free: must be an array of parameter names");
        const std::string name = *element.value<std::string>();
        if (name == kScatterName) {
            if (settings.scatter) in.fail(element, "free: 'scatter' is named twice");
            settings.scatter = true;
            continue;
        }
        const int index = in.parameter(element, name, "free");
        for (int seen : free)
            if (seen == index)
                in.fail(element,
                        "free: '" + std::string(parameter_info(index).name) + "' is named twice");
        free.push_back(index);
    }
    if (free.empty()) in.fail(node, "free: names no parameter of the model");
    settings.free = std::move(free);
}

void read_bounds(const TableReader& in, const toml::node& node, FitSettings& settings) {
    const toml::table* table = node.as_table();
    if (!table) in.fail(node, "bounds: must be a table of [low, high] per parameter");
    for (const auto& [key, value] : *table) {
        const std::string name(key.str());
        const bool scatter = name == kScatterName;
        const int index = scatter ? -1 : in.parameter(value, name, "bounds");
        const Bound bound = in.pair(value, "bounds." + name);
        if (!(bound.low < bound.high))
            in.fail(value, "bounds." + name + ": low must be below high");
        if (scatter) {
            if (!(bound.low > 0.0)) in.fail(value, "bounds.scatter: must be positive");
            settings.scatter_bound = bound;
            continue;
        }
        settings.bounds[index] = bound;
        settings.bound_source[index] = in.where(value);
    }
}

void read_priors(const TableReader& in, const toml::node& node, FitSettings& settings) {
    const toml::table* table = node.as_table();
    if (!table) in.fail(node, "priors: must be a table of [mean, sigma] per parameter");
    for (const auto& [key, value] : *table) {
        const std::string name(key.str());
        const bool scatter = name == kScatterName;
        const int index = scatter ? -1 : in.parameter(value, name, "priors");
        const Bound pair = in.pair(value, "priors." + name);
        if (!(pair.high > 0.0)) in.fail(value, "priors." + name + ": sigma must be positive");
        const Prior prior{pair.low, pair.high};
        if (scatter) {
            settings.scatter_prior = prior;
            continue;
        }
        settings.priors[index] = prior;
        settings.prior_source[index] = in.where(value);
    }
}

} // namespace

FitSettings parse_fit_table(const toml::table& fit, const std::string& file_name) {
    const TableReader in(file_name);
    FitSettings settings;
    for (const auto& [key, node] : fit) {
        const std::string_view name = key.str();
        if (name == "free") {
            read_free(in, node, settings);
        } else if (name == "explosion_date") {
            settings.explosion_date = in.number(node, "explosion_date");
            settings.explosion_date_source = in.where(node);
        } else if (name == "bounds") {
            read_bounds(in, node, settings);
        } else if (name == "dates") {
            const Bound dates = in.pair(node, "dates");
            if (dates.low > dates.high) in.fail(node, "dates: the first date is after the last");
            settings.dates = dates;
        } else if (name == "systematic") {
            settings.systematic = in.number(node, "systematic");
            if (settings.systematic < 0.0) in.fail(node, "systematic: must not be negative");
        } else if (name == "velocity") {
            const Bound v = in.pair(node, "velocity");
            if (v.low <= 0.0) in.fail(node, "velocity: the value must be positive");
            if (v.high <= 0.0) in.fail(node, "velocity: sigma must be positive");
            settings.velocity = Velocity{v.low, v.high};
        } else if (name == "priors") {
            read_priors(in, node, settings);
        } else {
            in.fail(node, "unknown key '" + std::string(name) + "'");
        }
    }
    return settings;
}

namespace {

std::string number_text(double value) {
    return snphot::settings_number(value);
}

std::string pair_text(double a, double b) {
    return "[" + number_text(a) + ", " + number_text(b) + "]";
}

} // namespace

void print_fit_table(std::FILE* out, const FitSettings& settings) {
    std::string free;
    for (int index : settings.free)
        free += std::string(free.empty() ? "" : ", ") + "\"" + parameter_info(index).name + "\"";
    if (settings.scatter) free += std::string(", \"") + kScatterName + "\"";
    std::fprintf(out, "free = [%s]\n", free.c_str());
    if (settings.explosion_date)
        std::fprintf(out, "explosion_date = %s  # start, JD - 2400000\n",
                     number_text(*settings.explosion_date).c_str());
    else
        std::fprintf(out, "# explosion_date = ?  # start, JD - 2400000: 10 days before the first "
                          "data point\n");
    // The bounds of the free parameters: those the file gives, the built-in ones for the rest
    // (the explosion date's follow from the data unless given).
    std::fprintf(out, "# [low, high] per free parameter, in the units of parameters.inp\n");
    std::string bounds;
    for (int index : settings.free) {
        const auto given = settings.bounds.find(index);
        if (given == settings.bounds.end() && index == kExplosionDate) continue;
        const Bound b =
            given != settings.bounds.end() ? given->second : parameter_info(index).default_bound;
        bounds += std::string(bounds.empty() ? "" : ", ") + parameter_info(index).name + " = " +
                  pair_text(b.low, b.high);
    }
    for (const auto& [index, b] : settings.bounds) {
        bool listed = false;
        for (int f : settings.free) listed = listed || f == index;
        if (!listed)
            bounds += std::string(bounds.empty() ? "" : ", ") + parameter_info(index).name + " = " +
                      pair_text(b.low, b.high);
    }
    if (settings.scatter || settings.scatter_bound.low != kScatterBound.low ||
        settings.scatter_bound.high != kScatterBound.high)
        bounds += std::string(bounds.empty() ? "" : ", ") + kScatterName + " = " +
                  pair_text(settings.scatter_bound.low, settings.scatter_bound.high);
    std::fprintf(out, "bounds = { %s }\n", bounds.c_str());
    if (settings.dates)
        std::fprintf(out, "dates = %s  # JD - 2400000: the points that enter the fit\n",
                     pair_text(settings.dates->low, settings.dates->high).c_str());
    else
        std::fprintf(out, "# dates = [first, last]  # JD - 2400000: every point enters the fit\n");
    std::fprintf(out, "systematic = %s  # mag, added in quadrature to every uncertainty\n",
                 number_text(settings.systematic).c_str());
    if (settings.velocity)
        std::fprintf(out, "velocity = %s  # km/s: expansion velocity v and its sigma\n",
                     pair_text(settings.velocity->value, settings.velocity->sigma).c_str());
    else
        std::fprintf(out, "# velocity = [value, sigma]  # km/s: no constraint on v\n");
    std::string priors;
    for (const auto& [index, p] : settings.priors)
        priors += std::string(priors.empty() ? "" : ", ") + parameter_info(index).name + " = " +
                  pair_text(p.mean, p.sigma);
    if (settings.scatter_prior)
        priors += std::string(priors.empty() ? "" : ", ") + kScatterName + " = " +
                  pair_text(settings.scatter_prior->mean, settings.scatter_prior->sigma);
    if (priors.empty())
        std::fprintf(out, "# priors = { NAME = [mean, sigma] }  # Gaussian priors: none\n");
    else
        std::fprintf(out, "priors = { %s }  # Gaussian [mean, sigma], units of parameters.inp\n",
                     priors.c_str());
}

snphot::SettingsTable fit_table(FitSettings& settings) {
    snphot::SettingsTable table;
    table.name = "fit";
    table.comment = "snfit: what the fit frees, where it starts and may go, which points it takes";
    table.read_whole = [&settings](std::string_view text, const std::string& name) {
        // The text has passed the checks of every table: it parses.
        const toml::table root = toml::parse(text, name);
        const toml::node* fit = root.get("fit");
        if (!fit) return;
        if (!fit->is_table())
            throw snphot::RunFailure(
                snphot::at_line(name, static_cast<long>(fit->source().begin.line)),
                "[fit] must be a table");
        settings = parse_fit_table(*fit->as_table(), name);
    };
    table.print_whole = [&settings](std::FILE* out) { print_fit_table(out, settings); };
    return table;
}

} // namespace snfit
