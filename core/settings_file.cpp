#include "settings_file.hpp"

#include "cli.hpp"
#include "file.hpp"

// toml++ is compiled here and nowhere else; its own printing is not needed.
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>

namespace snphot {

SettingKey number(std::string name, float& value, std::string comment, double above) {
    return {std::move(name), &value, std::move(comment), above};
}

SettingKey number(std::string name, double& value, std::string comment, double above) {
    return {std::move(name), &value, std::move(comment), above};
}

SettingKey whole(std::string name, long& value, std::string comment, double above) {
    return {std::move(name), &value, std::move(comment), above};
}

SettingKey numbers(std::string name, std::span<float> values, std::string comment) {
    return {std::move(name), values, std::move(comment)};
}

SettingKey choice(std::string name, int& index, std::vector<std::string> words,
                  std::string comment) {
    return {std::move(name), Choice{&index, std::move(words)}, std::move(comment)};
}

bool SettingsTable::given(std::string_view key) const {
    for (const SettingKey& k : keys)
        if (k.name == key) return k.given;
    return false;
}

namespace {

// Every table that some program of the suite reads. A table of any other name is a misspelling
// that would silently leave a program on its built-in values, so every program refuses it.
constexpr std::array<std::string_view, 12> kSuiteTables = {
    "comparison", "colour",   "standard_field", "subtraction",   "bolometric", "bandconv",
    "decay",      "spectrum", "line_profile",   "line_profile2", "fit",        "posterior"};

bool suite_table(std::string_view name) {
    return std::find(kSuiteTables.begin(), kSuiteTables.end(), name) != kSuiteTables.end();
}

long line_of(const toml::source_region& where) {
    return static_cast<long>(where.begin.line);
}

// Where the settings file goes wrong, as the key or value at `line` shows.
class Refusals {
  public:
    explicit Refusals(const std::string& file) : file_(file) {}
    [[noreturn]] void at(long line, const std::string& reason) const {
        throw RunFailure(line > 0 ? at_line(file_, line) : file_, reason);
    }

  private:
    const std::string& file_;
};

std::string shortest(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::optional<double> number_of(const toml::node& node) {
    if (const auto* i = node.as_integer()) return static_cast<double>(i->get());
    if (const auto* f = node.as_floating_point()) return f->get();
    return std::nullopt;
}

// Reads the keys of one table of the file into the members bound to them.
class TableReader {
  public:
    TableReader(const Refusals& refuse, SettingsTable& table)
        : refuse_(refuse), table_(table), label_("[" + table.name + "]") {}

    void read(const toml::node& node) {
        const toml::table* file_table = node.as_table();
        if (!file_table) refuse_.at(line_of(node.source()), label_ + " must be a table");
        refuse_unknown_keys(*file_table);
        for (SettingKey& key : table_.keys) {
            const toml::node* value = file_table->get(key.name);
            if (!value) continue;
            std::visit([&](auto target) { store(key, *value, target); }, key.value);
            key.given = true;
        }
    }

  private:
    // The earliest of the keys that the table does not know, so that a misspelt key is named
    // rather than silently passed over.
    void refuse_unknown_keys(const toml::table& file_table) const {
        const toml::key* unknown = nullptr;
        for (const auto& entry : file_table) {
            const toml::key& key = entry.first;
            const bool known =
                std::any_of(table_.keys.begin(), table_.keys.end(),
                            [&](const SettingKey& k) { return k.name == key.str(); });
            if (!known && (!unknown || line_of(key.source()) < line_of(unknown->source())))
                unknown = &key;
        }
        if (unknown)
            refuse_.at(line_of(unknown->source()),
                       "unknown key \"" + std::string(unknown->str()) + "\" in " + label_);
    }

    std::string name_of(const SettingKey& key) const { return label_ + " " + key.name; }

    // A finite number greater than the key's bound, as the file gives it.
    double checked(const SettingKey& key, const toml::node& node, const std::string& what) const {
        const std::optional<double> value = number_of(node);
        const long line = line_of(node.source());
        if (!value) refuse_.at(line, name_of(key) + " must be " + what);
        if (!std::isfinite(*value)) refuse_.at(line, name_of(key) + " must be a finite number");
        if (!(*value > key.above))
            refuse_.at(line, name_of(key) + " must be greater than " + shortest(key.above));
        return *value;
    }

    // As checked, stored in single precision: a number that would round to infinity is refused,
    // one that rounds to the largest single-precision number becomes it.
    float single(const SettingKey& key, const toml::node& node, const std::string& what) const {
        constexpr double kLargest = std::numeric_limits<float>::max();
        constexpr double kRoundsToInfinity = 0x1.ffffffp127; // halfway to the next power of two
        const double value = checked(key, node, what);
        if (std::fabs(value) >= kRoundsToInfinity)
            refuse_.at(line_of(node.source()),
                       name_of(key) + " is beyond the range of a single-precision number");
        return static_cast<float>(std::clamp(value, -kLargest, kLargest));
    }

    void store(const SettingKey& key, const toml::node& node, float* target) const {
        *target = single(key, node, "a number");
    }

    void store(const SettingKey& key, const toml::node& node, double* target) const {
        *target = checked(key, node, "a number");
    }

    void store(const SettingKey& key, const toml::node& node, long* target) const {
        const long line = line_of(node.source());
        const auto* integer = node.as_integer();
        if (!integer) refuse_.at(line, name_of(key) + " must be a whole number");
        if (!(static_cast<double>(integer->get()) > key.above))
            refuse_.at(line, name_of(key) + " must be greater than " + shortest(key.above));
        *target = static_cast<long>(integer->get());
    }

    void store(const SettingKey& key, const toml::node& node, std::span<float> target) const {
        const std::string what = "an array of " + std::to_string(target.size()) + " numbers";
        const toml::array* array = node.as_array();
        if (!array || array->size() != target.size())
            refuse_.at(line_of(node.source()), name_of(key) + " must be " + what);
        std::vector<float> values;
        for (const toml::node& element : *array) values.push_back(single(key, element, what));
        std::copy(values.begin(), values.end(), target.begin());
    }

    void store(const SettingKey& key, const toml::node& node, const Choice& target) const {
        const auto* word = node.as_string();
        const auto& words = target.words;
        const auto found = word ? std::find(words.begin(), words.end(), word->get()) : words.end();
        if (found == words.end()) {
            std::string allowed;
            for (std::size_t w = 0; w < words.size(); ++w)
                allowed += (w == 0                  ? ""
                            : w + 1 == words.size() ? " or "
                                                    : ", ") +
                           ("\"" + words[w] + "\"");
            refuse_.at(line_of(node.source()), name_of(key) + " must be " + allowed);
        }
        *target.index = static_cast<int>(found - words.begin());
    }

    const Refusals& refuse_;
    SettingsTable& table_;
    std::string label_;
};

// The earliest table (or key outside any table) that no program of the suite reads.
void refuse_foreign_tables(const toml::table& root, const Refusals& refuse) {
    const toml::key* foreign = nullptr;
    for (const auto& [key, value] : root) {
        if (suite_table(key.str())) continue;
        if (!foreign || line_of(key.source()) < line_of(foreign->source())) foreign = &key;
    }
    if (!foreign) return;
    const std::string name(foreign->str());
    if (root.get(name)->is_table())
        refuse.at(line_of(foreign->source()),
                  "unknown table [" + name + "]: no program of the suite reads it");
    refuse.at(line_of(foreign->source()), "unknown key \"" + name + "\" outside any table");
}

// Settings are written in ASCII; other characters are welcome in comments only (strings are
// followed only so that a # inside one starts no comment). The parser is not handed any other,
// since the toml++ of Debian 12 (3.3) reaches undefined behaviour when it asks whether certain
// characters beyond ASCII are white space (in quoted keys, after values).
void refuse_characters_beyond_ascii(std::string_view text, const Refusals& refuse) {
    enum class In { code, comment, string, literal, long_string, long_literal } in = In::code;
    long line = 1;
    auto opens = [&](std::size_t at, char quote, int count) {
        return text.compare(at, count, std::string(count, quote)) == 0;
    };
    // Past a closing run of quotes (a long string may end in up to two quotes of its own).
    auto close_run = [&](std::size_t& at, char quote) {
        while (at + 1 < text.size() && text[at + 1] == quote) ++at;
    };
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\n') {
            ++line;
            if (in == In::comment || in == In::string || in == In::literal) in = In::code;
            continue;
        }
        if (in != In::comment && static_cast<unsigned char>(c) >= 0x80)
            refuse.at(line, "a character beyond ASCII outside a comment: settings are written "
                            "in ASCII");
        switch (in) {
        case In::code:
            if (c == '#') in = In::comment;
            if (c == '"') in = opens(at, '"', 3) ? (at += 2, In::long_string) : In::string;
            if (c == '\'') in = opens(at, '\'', 3) ? (at += 2, In::long_literal) : In::literal;
            break;
        case In::comment:
            break;
        case In::string:
            if (c == '\\')
                ++at;
            else if (c == '"')
                in = In::code;
            break;
        case In::literal:
            if (c == '\'') in = In::code;
            break;
        case In::long_string:
            if (c == '\\' && at + 1 < text.size() && text[at + 1] != '\n')
                ++at;
            else if (opens(at, '"', 3))
                close_run(at, '"'), in = In::code;
            break;
        case In::long_literal:
            if (opens(at, '\'', 3)) close_run(at, '\''), in = In::code;
            break;
        }
    }
}

toml::table parse(std::string_view text, const std::string& name, const Refusals& refuse) {
    refuse_characters_beyond_ascii(text, refuse);
    try {
        return toml::parse(text, name);
    } catch (const toml::parse_error& error) {
        refuse.at(line_of(error.source()), std::string(error.description()));
    }
}

std::string read_whole(File& file) {
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    if (std::ferror(file.get()))
        throw RunFailure(file.name(), std::string("cannot read: ") +
                                          (errno ? std::strerror(errno) : "read error"));
    return text;
}

// ---- Printing ----

// A number as the file writes it: the shortest text that reads back as the same stored value,
// in fixed notation unless the exponent form is much shorter, and always with a decimal point or
// an exponent so that it stays a TOML float.
template <typename T> std::string toml_number(T value) {
    char fixed[400], general[64];
    const auto fixed_end =
        std::to_chars(fixed, fixed + sizeof fixed, value, std::chars_format::fixed).ptr;
    const auto general_end = std::to_chars(general, general + sizeof general, value).ptr;
    std::string number = fixed_end - fixed <= general_end - general + 3
                             ? std::string(fixed, fixed_end)
                             : std::string(general, general_end);
    if (number.find_first_of(".e") == std::string::npos) number += ".0";
    return number;
}

} // namespace

std::string settings_number(double value) {
    return toml_number(value);
}

std::string settings_number(float value) {
    return toml_number(value);
}

namespace {

std::string value_text(float* value) {
    return toml_number(*value);
}

std::string value_text(double* value) {
    return toml_number(*value);
}

std::string value_text(long* value) {
    return std::to_string(*value);
}

std::string value_text(std::span<float> values) {
    std::string text = "[";
    for (std::size_t k = 0; k < values.size(); ++k)
        text += (k ? ", " : "") + toml_number(values[k]);
    return text + "]";
}

std::string value_text(const Choice& choice) {
    return "\"" + choice.words[static_cast<std::size_t>(*choice.index)] + "\"";
}

bool chosen(const SettingKey& key) {
    const Choice* choice = std::get_if<Choice>(&key.value);
    return !choice ||
           (*choice->index >= 0 && static_cast<std::size_t>(*choice->index) < choice->words.size());
}

void print_comment(std::FILE* out, const std::string& comment) {
    std::size_t start = 0;
    while (start < comment.size()) {
        std::size_t end = comment.find('\n', start);
        if (end == std::string::npos) end = comment.size();
        std::fprintf(out, "# %s\n", comment.substr(start, end - start).c_str());
        start = end + 1;
    }
}

// "key = value  # comment", the comment on a line of its own above when the line would be long.
void print_key(std::FILE* out, const SettingKey& key) {
    constexpr std::size_t kLineWidth = 100;
    if (!chosen(key)) {
        std::fprintf(out, "# %s = ?  # none chosen: %s\n", key.name.c_str(), key.comment.c_str());
        return;
    }
    const std::string value = std::visit([](auto v) { return value_text(v); }, key.value);
    const std::string line = key.name + " = " + value;
    if (key.comment.empty())
        std::fprintf(out, "%s\n", line.c_str());
    else if (line.size() + 4 + key.comment.size() > kLineWidth)
        std::fprintf(out, "# %s\n%s\n", key.comment.c_str(), line.c_str());
    else
        std::fprintf(out, "%s  # %s\n", line.c_str(), key.comment.c_str());
}

} // namespace

void read_settings_text(std::string_view text, const std::string& name,
                        std::span<SettingsTable> tables) {
    const Refusals refuse(name);
    const toml::table root = parse(text, name, refuse);
    refuse_foreign_tables(root, refuse);
    for (SettingsTable& table : tables) {
        if (!suite_table(table.name))
            throw std::logic_error("settings table [" + table.name +
                                   "] is not in the suite's list");
        for (SettingKey& key : table.keys) key.given = false;
        if (table.read_whole) {
            table.read_whole(text, name);
            continue;
        }
        if (const toml::node* node = root.get(table.name)) TableReader(refuse, table).read(*node);
        if (table.complete) table.complete(table);
    }
}

std::string read_settings_file(const std::string* requested, std::span<SettingsTable> tables) {
    File file = requested ? open_checked(*requested, "r") : open_if_present(kSettingsFile);
    if (!file) return "";
    const std::string text = read_whole(file);
    read_settings_text(text, file.name(), tables);
    return file.name();
}

void print_settings(std::FILE* out, std::span<const SettingsTable> tables) {
    for (const SettingsTable& table : tables) {
        std::fprintf(out, "\n[%s]\n", table.name.c_str());
        print_comment(out, table.comment);
        if (table.print_whole) table.print_whole(out);
        for (const SettingKey& key : table.keys) print_key(out, key);
    }
}

} // namespace snphot
