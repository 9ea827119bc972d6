#include "settings_file.hpp"

#include "cli.hpp"
#include "file.hpp"

// toml++ is compiled here and nowhere else; its own printing is not needed.
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

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

SettingKey number(std::string name, std::optional<double>& value, std::string comment,
                  double above) {
    return {std::move(name), &value, std::move(comment), above};
}

SettingKey numbers(std::string name, std::span<float> values, std::string comment) {
    return {std::move(name), values, std::move(comment)};
}

SettingKey pair(std::string name, NumberPair& value, std::string comment) {
    return {std::move(name), &value, std::move(comment)};
}

SettingKey pair(std::string name, std::optional<NumberPair>& value, std::string comment) {
    return {std::move(name), &value, std::move(comment)};
}

SettingKey text(std::string name, std::string& value, std::string comment) {
    return {std::move(name), &value, std::move(comment)};
}

SettingKey flag(std::string name, bool& value, std::string comment) {
    return {std::move(name), &value, std::move(comment)};
}

SettingKey choice(std::string name, int& index, std::vector<std::string> words,
                  std::string comment) {
    return {std::move(name), Choice{&index, std::move(words)}, std::move(comment)};
}

SettingKey words(std::string name, std::vector<std::string>& values,
                 std::vector<std::string> allowed, std::string comment) {
    return {std::move(name), Words{&values, std::move(allowed)}, std::move(comment)};
}

SettingKey pairs_by_name(std::string name, ByName<NumberPair>& entries,
                         std::vector<std::string> names, std::string comment) {
    return {std::move(name), PairsByName{&entries, std::move(names)}, std::move(comment)};
}

SettingKey numbers_by_name(std::string name, ByName<std::map<std::string, double>>& entries,
                           std::vector<std::string> names, std::string comment) {
    return {std::move(name), NumbersByName{&entries, std::move(names)}, std::move(comment)};
}

bool SettingsTable::given(std::string_view key) const {
    for (const SettingKey& k : keys)
        if (k.name == key) return k.given;
    return false;
}

long SettingsTable::line(std::string_view key) const {
    for (const SettingKey& k : keys)
        if (k.name == key) return k.line;
    return 0;
}

void SettingsTable::refuse(long at, const std::string& reason) const {
    throw RunFailure(at > 0 ? at_line(file, at) : file, "[" + name + "] " + reason);
}

namespace {

// Every table that some program of the suite reads. A table of any other name is a misspelling
// that would silently leave a program on its built-in values, so every program refuses it.
constexpr std::array<std::string_view, 13> kSuiteTables = {
    "comparison", "colour",   "standard_field", "subtraction",   "bolometric", "bandconv",
    "decay",      "spectrum", "line_profile",   "line_profile2", "fit",        "import",
    "posterior"};

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
            key.line = line_of(value->source());
        }
        refuse_broken_relations(*file_table);
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

    // A key given with one that it excludes, or without the one that it needs, named at the later
    // of the two (the key itself for a missing partner).
    void refuse_broken_relations(const toml::table& file_table) const {
        auto line_of_key = [&](const std::string& name) {
            const toml::node* node = file_table.get(name);
            return node ? line_of(node->source()) : 0L;
        };
        for (const SettingKey& key : table_.keys) {
            if (!key.given) continue;
            for (const std::string& other : key.excludes)
                if (table_.given(other))
                    refuse_.at(std::max(line_of_key(key.name), line_of_key(other)),
                               label_ + " " + key.name + " and " + other +
                                   " cannot both be given: they set the same values two ways");
            if (!key.needs.empty() && !table_.given(key.needs))
                refuse_.at(line_of_key(key.name),
                           name_of(key) + " is given without " + key.needs);
        }
    }

    std::string name_of(const SettingKey& key) const { return label_ + " " + key.name; }
    std::string name_of(const SettingKey& key, const std::string& entry) const {
        return name_of(key) + "." + entry;
    }

    // A finite number greater than the key's bound, as the file gives it; `name` is the key's,
    // or of one entry of it.
    double checked(const SettingKey& key, const toml::node& node, const std::string& what,
                   const std::string& name) const {
        const std::optional<double> value = number_of(node);
        const long line = line_of(node.source());
        if (!value) refuse_.at(line, name + " must be " + what);
        if (!std::isfinite(*value)) refuse_.at(line, name + " must be a finite number");
        if (!(*value > key.above))
            refuse_.at(line, name + " must be greater than " + shortest(key.above));
        if (!(*value < key.below))
            refuse_.at(line, name + " must be less than " + shortest(key.below));
        return *value;
    }
    double checked(const SettingKey& key, const toml::node& node, const std::string& what) const {
        return checked(key, node, what, name_of(key));
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

    void store(const SettingKey& key, const toml::node& node,
               std::optional<double>* target) const {
        *target = checked(key, node, "a number");
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

    NumberPair number_pair(const SettingKey& key, const toml::node& node,
                           const std::string& name) const {
        const std::string what = "an array of 2 numbers";
        const toml::array* array = node.as_array();
        if (!array || array->size() != 2)
            refuse_.at(line_of(node.source()), name + " must be " + what);
        return {checked(key, *array->get(0), what, name), checked(key, *array->get(1), what, name)};
    }

    void store(const SettingKey& key, const toml::node& node, NumberPair* target) const {
        *target = number_pair(key, node, name_of(key));
    }

    void store(const SettingKey& key, const toml::node& node,
               std::optional<NumberPair>* target) const {
        *target = number_pair(key, node, name_of(key));
    }

    void store(const SettingKey& key, const toml::node& node, std::string* target) const {
        const auto* value = node.as_string();
        if (!value) refuse_.at(line_of(node.source()), name_of(key) + " must be a string");
        *target = value->get();
    }

    void store(const SettingKey& key, const toml::node& node, bool* target) const {
        const auto* value = node.as_boolean();
        if (!value) refuse_.at(line_of(node.source()), name_of(key) + " must be true or false");
        *target = value->get();
    }

    void store(const SettingKey& key, const toml::node& node, const Choice& target) const {
        const auto* word = node.as_string();
        const auto& words = target.words;
        const auto found = word ? std::find(words.begin(), words.end(), word->get()) : words.end();
        if (found == words.end())
            refuse_.at(line_of(node.source()), name_of(key) + " must be " + one_of(words));
        *target.index = static_cast<int>(found - words.begin());
    }

    void store(const SettingKey& key, const toml::node& node, const Words& target) const {
        const std::string what = name_of(key) + " must be an array of words";
        const toml::array* array = node.as_array();
        if (!array) refuse_.at(line_of(node.source()), what);
        std::vector<std::string> values;
        for (const toml::node& element : *array) {
            const auto* word = element.as_string();
            const long line = line_of(element.source());
            if (!word) refuse_.at(line, what);
            const std::string& value = word->get();
            refuse_unlisted(key, line, value, target.allowed);
            if (std::find(values.begin(), values.end(), value) != values.end())
                refuse_.at(line, name_of(key) + " names \"" + value + "\" twice");
            values.push_back(value);
        }
        *target.values = std::move(values);
    }

    void store(const SettingKey& key, const toml::node& node, const PairsByName& target) const {
        ByName<NumberPair> entries;
        for (const auto& [name, value] : named_entries(key, node, target.names, "number pairs"))
            entries[name] = {number_pair(key, *value, name_of(key, name)),
                             line_of(value->source())};
        *target.entries = std::move(entries);
    }

    void store(const SettingKey& key, const toml::node& node, const NumbersByName& target) const {
        ByName<std::map<std::string, double>> entries;
        for (const auto& [name, value] :
             named_entries(key, node, target.names, "tables of numbers")) {
            const toml::table* inner = value->as_table();
            if (!inner)
                refuse_.at(line_of(value->source()),
                           name_of(key, name) + " must be a table of numbers by name");
            std::map<std::string, double> numbers;
            for (const auto& [inner_key, number] : *inner) {
                const std::string inner_name(inner_key.str());
                numbers[inner_name] =
                    checked(key, number, "a number", name_of(key, name + "." + inner_name));
            }
            entries[name] = {std::move(numbers), line_of(value->source())};
        }
        *target.entries = std::move(entries);
    }

    // The entries of a table of values by name, each name checked against `names`.
    std::vector<std::pair<std::string, const toml::node*>>
    named_entries(const SettingKey& key, const toml::node& node,
                  const std::vector<std::string>& names, const std::string& what) const {
        const toml::table* table = node.as_table();
        if (!table)
            refuse_.at(line_of(node.source()),
                       name_of(key) + " must be a table of " + what + " by name");
        std::vector<std::pair<std::string, const toml::node*>> entries;
        for (const auto& [entry_key, value] : *table) {
            const std::string name(entry_key.str());
            refuse_unlisted(key, line_of(entry_key.source()), name, names);
            entries.emplace_back(name, &value);
        }
        return entries;
    }

    void refuse_unlisted(const SettingKey& key, long line, const std::string& word,
                         const std::vector<std::string>& allowed) const {
        if (allowed.empty() || std::find(allowed.begin(), allowed.end(), word) != allowed.end())
            return;
        std::string listed;
        for (const std::string& a : allowed) listed += (listed.empty() ? "\"" : ", \"") + a + "\"";
        refuse_.at(line, name_of(key) + ": \"" + word + "\" is not one of " + listed);
    }

    // "a", "b" or "c"
    static std::string one_of(const std::vector<std::string>& words) {
        std::string text;
        for (std::size_t w = 0; w < words.size(); ++w)
            text += (w == 0                  ? ""
                     : w + 1 == words.size() ? " or "
                                             : ", ") +
                    ("\"" + words[w] + "\"");
        return text;
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

enum class In { code, comment, string, literal, long_string, long_literal };

// Walks the text of a settings file character by character, telling `visit` the line each stands
// on and whether it stands in code, a comment or a string (strings are followed only so that a #
// inside one starts no comment, and a bracket inside one opens nothing).
template <typename Visit> void walk_text(std::string_view text, Visit visit) {
    In in = In::code;
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
        visit(c, line, in);
        if (c == '\n') {
            ++line;
            if (in == In::comment || in == In::string || in == In::literal) in = In::code;
            continue;
        }
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

// Settings are written in ASCII; other characters are welcome in comments only. The parser is
// not handed any other, since the toml++ of Debian 12 (3.3) reaches undefined behaviour when it
// asks whether certain characters beyond ASCII are white space (in quoted keys, after values).
void refuse_characters_beyond_ascii(std::string_view text, const Refusals& refuse) {
    walk_text(text, [&](char c, long line, In in) {
        if (c != '\n' && in != In::comment && static_cast<unsigned char>(c) >= 0x80)
            refuse.at(line, "a character beyond ASCII outside a comment: settings are written "
                            "in ASCII");
    });
}

// How deep the tables, dotted keys, arrays and inline tables of a settings file nest, counted
// before the parser sees the file: the parser descends once per level, and a file of deeply
// nested names ([a.a.a...]) would exhaust the stack. The suite's tables nest two levels deep.
class NestingDepth {
  public:
    static constexpr int kMax = 32;

    explicit NestingDepth(const Refusals& refuse) : refuse_(refuse) {}

    void visit(char c, long line) {
        switch (c) {
        case '\n':
            if (open_.empty()) start_key();
            break;
        case '[':
            if (open_.empty() && in_key_)
                open('h', 1, line); // a table header
            else if (!(previous_ == '[' && !open_.empty() && open_.back().kind == 'h'))
                open('a', 1 + assigned_, line), in_key_ = false; // an array ("[[" of a header)
            break;
        case '{':
            open('t', 1 + assigned_, line);
            start_key();
            break;
        case ']':
        case '}':
            if (!open_.empty()) close();
            in_key_ = false;
            break;
        case '=':
            assigned_ = dots_;
            dots_ = 0;
            in_key_ = false;
            break;
        case ',':
            if (!open_.empty() && open_.back().kind == 't') start_key();
            break;
        case '.':
            if (in_key_) ++dots_;
            check(line);
            break;
        default:
            break;
        }
        previous_ = c;
    }

  private:
    struct Open {
        char kind; // 'h' header, 'a' array, 't' inline table
        int depth; // the levels it adds, the dotted key before it included
    };

    void start_key() {
        in_key_ = true;
        dots_ = 0;
        assigned_ = 0;
    }
    void open(char kind, int depth, long line) {
        open_.push_back({kind, depth});
        total_ += depth;
        assigned_ = 0;
        check(line);
    }
    void close() {
        total_ -= open_.back().depth;
        open_.pop_back();
    }
    void check(long line) const {
        if (total_ + dots_ > kMax)
            refuse_.at(line, "tables, keys and values nested more than " + std::to_string(kMax) +
                                 " levels deep");
    }

    const Refusals& refuse_;
    std::vector<Open> open_;
    int total_ = 0;    // the levels of what is open
    int dots_ = 0;     // the dots of the key being read
    int assigned_ = 0; // the dots of the key whose value is being read
    bool in_key_ = true;
    char previous_ = '\n';
};

void refuse_deep_nesting(std::string_view text, const Refusals& refuse) {
    NestingDepth depth(refuse);
    walk_text(text, [&](char c, long line, In in) {
        if (in == In::code) depth.visit(c, line);
    });
}

toml::table parse(std::string_view text, const std::string& name, const Refusals& refuse) {
    refuse_characters_beyond_ascii(text, refuse);
    refuse_deep_nesting(text, refuse);
    try {
        return toml::parse(text, name);
    } catch (const toml::parse_error& error) {
        refuse.at(line_of(error.source()), std::string(error.description()));
    }
}

// A settings file is a regular file of at most this size: a device or a pipe (a link to
// /dev/zero) would never end, and nothing larger is a settings file.
constexpr std::size_t kMaxSettingsBytes = 1 << 20;
const std::string kTooLarge = "larger than 1 MiB: not a settings file";

// Checked before the file is opened, since opening a pipe would wait for a writer.
void refuse_other_than_a_small_file(const std::string& name) {
    struct stat status;
    if (stat(name.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return; // the open tells
    if (!S_ISREG(status.st_mode)) throw RunFailure(name, "not a regular file");
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxSettingsBytes)
        throw RunFailure(name, kTooLarge);
}

// The whole text, up to the size a settings file may have (a file that grows while it is read is
// refused as well).
std::string read_whole(File& file) {
    std::string text;
    char buffer[4096];
    std::size_t got;
    while (text.size() <= kMaxSettingsBytes &&
           (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        text.append(buffer, got);
    if (std::ferror(file.get()))
        throw RunFailure(file.name(), std::string("cannot read: ") +
                                          (errno ? std::strerror(errno) : "read error"));
    if (text.size() > kMaxSettingsBytes) throw RunFailure(file.name(), kTooLarge);
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

// A number that is not set (not a number) shows as "?": only a key set aside prints one.
std::string value_text(float* value) {
    return std::isnan(*value) ? "?" : toml_number(*value);
}

std::string value_text(double* value) {
    return std::isnan(*value) ? "?" : toml_number(*value);
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

std::string value_text(std::optional<double>* value) {
    return toml_number(**value);
}

std::string pair_text(const NumberPair& pair) {
    return "[" + toml_number(pair[0]) + ", " + toml_number(pair[1]) + "]";
}

std::string value_text(NumberPair* value) {
    return pair_text(*value);
}

std::string value_text(std::optional<NumberPair>* value) {
    return pair_text(**value);
}

// A TOML basic string: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A key as TOML writes it: bare when it can be, else quoted.
std::string key_text(const std::string& key) {
    const bool bare = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
    return bare ? key : quoted(key);
}

std::string value_text(std::string* value) {
    return quoted(*value);
}

std::string value_text(bool* value) {
    return *value ? "true" : "false";
}

std::string value_text(const Choice& choice) {
    return "\"" + choice.words[static_cast<std::size_t>(*choice.index)] + "\"";
}

std::string value_text(const Words& words) {
    std::string text;
    for (const std::string& word : *words.values) text += (text.empty() ? "" : ", ") + quoted(word);
    return "[" + text + "]";
}

// { NAME = value, ... } on one line, as TOML writes an inline table.
template <typename T, typename Print>
std::string inline_table(const std::map<std::string, T>& entries, Print print) {
    if (entries.empty()) return "{}";
    std::string text;
    for (const auto& [name, value] : entries)
        text += (text.empty() ? "" : ", ") + key_text(name) + " = " + print(value);
    return "{ " + text + " }";
}

std::string value_text(const PairsByName& pairs) {
    return inline_table(*pairs.entries,
                        [](const Named<NumberPair>& entry) { return pair_text(entry.value); });
}

std::string value_text(const NumbersByName& tables) {
    return inline_table(*tables.entries, [](const Named<std::map<std::string, double>>& entry) {
        return inline_table(entry.value, [](double value) { return toml_number(value); });
    });
}

// A key that holds a value: a choice made, an optional given.
bool holds_value(const SettingKey& key) {
    if (const Choice* choice = std::get_if<Choice>(&key.value))
        return *choice->index >= 0 &&
               static_cast<std::size_t>(*choice->index) < choice->words.size();
    if (const auto* value = std::get_if<std::optional<double>*>(&key.value))
        return (*value)->has_value();
    if (const auto* value = std::get_if<std::optional<NumberPair>*>(&key.value))
        return (*value)->has_value();
    return true;
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
    if (!holds_value(key)) {
        const bool choice = std::holds_alternative<Choice>(key.value);
        std::fprintf(out, "# %s = ?  # %s%s\n", key.name.c_str(), choice ? "none chosen: " : "",
                     key.comment.c_str());
        return;
    }
    const std::string value = std::visit([](auto v) { return value_text(v); }, key.value);
    if (key.aside) {
        if (const std::string note = key.aside(); !note.empty()) {
            std::fprintf(out, "# %s = %s  # %s\n", key.name.c_str(), value.c_str(), note.c_str());
            return;
        }
    }
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
        table.file = name;
        for (SettingKey& key : table.keys) key.given = false, key.line = 0;
        if (const toml::node* node = root.get(table.name)) TableReader(refuse, table).read(*node);
        if (table.complete) table.complete(table);
    }
}

std::string read_settings_file(const std::string* requested, std::span<SettingsTable> tables) {
    refuse_other_than_a_small_file(requested ? *requested : kSettingsFile);
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
        for (const SettingKey& key : table.keys) print_key(out, key);
    }
}

} // namespace snphot
