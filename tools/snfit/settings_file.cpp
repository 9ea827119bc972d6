#include "settings_file.hpp"

#include "cli.hpp"
#include "file.hpp"

#include <cerrno>
#include <cstring>

namespace snfit {

namespace {

std::string read_whole(snphot::File& file) {
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    if (std::ferror(file.get()))
        throw snphot::InputError(file.name(), std::string("cannot read: ") + std::strerror(errno));
    return text;
}

} // namespace

FitSettings load_fit_settings(const std::string& name) {
    snphot::File file = snphot::open_if_present(name);
    if (!file) return FitSettings{};
    const std::string text = read_whole(file);
    toml::table root;
    try {
        root = toml::parse(text, name);
    } catch (const toml::parse_error& error) {
        throw snphot::InputError(
            snphot::at_line(name, static_cast<long>(error.source().begin.line)),
            std::string(error.description()));
    }
    const toml::node* fit = root.get("fit");
    if (!fit) return FitSettings{};
    if (!fit->is_table())
        throw snphot::InputError(snphot::at_line(name, static_cast<long>(fit->source().begin.line)),
                                 "fit: must be a table");
    return parse_fit_table(*fit->as_table(), name);
}

} // namespace snfit
