// The campaign settings file: what a program takes at run time from "snphot.toml" in its working
// directory (or from the file named by --settings) over its built-in settings.
//
// A program reads only its own tables of the file. Each of its tables is bound, key by key, to the
// members of a settings struct whose default values are the program's built-in settings; a key the
// file leaves out keeps its default. Inside its own tables a program refuses an unknown key, a
// value of the wrong type, an array of the wrong length and a number that is not finite (or out of
// the key's range), naming the line; a file that is not TOML, or that holds a table which no
// program of the suite reads (a misspelt table name), is refused by every program. A table means
// the same to every program that reads it: it is checked whole and printed whole.
//
// The file is parsed with toml++ in settings_file.cpp alone; nothing here depends on it.
#pragma once

#include <array>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace snphot {

// Two numbers of one key: a range [low, high], a value and its sigma, the first and last date.
using NumberPair = std::array<double, 2>;

// A value that a key's table gives under a name of its own (NAME = value), with the line of the
// file that gives it (0 for a built-in value), for the messages of later checks.
template <typename T> struct Named {
    T value{};
    long line = 0;
};
template <typename T> using ByName = std::map<std::string, Named<T>>;

// A word out of a fixed list, held as its index; an index outside the list means none is chosen.
struct Choice {
    int* index;
    std::vector<std::string> words;
};

// A list of distinct words; `allowed` empty takes any word.
struct Words {
    std::vector<std::string>* values;
    std::vector<std::string> allowed;
};

// A table of number pairs by name: { NAME = [a, b], ... }; `names` empty takes any name.
struct PairsByName {
    ByName<NumberPair>* entries;
    std::vector<std::string> names;
};

// A table of tables of numbers by name: { NAME = { KEY = number, ... }, ... }; `names` empty
// takes any name, any KEY is taken.
struct NumbersByName {
    ByName<std::map<std::string, double>>* entries;
    std::vector<std::string> names;
};

// One key of a table, bound to the member that holds its value. A key bound to a std::optional
// holds no value until the file gives one.
struct SettingKey {
    std::string name;
    std::variant<float*, double*, std::optional<double>*, std::span<float>, NumberPair*,
                 std::optional<NumberPair>*, std::string*, bool*, Choice, Words, PairsByName,
                 NumbersByName, long*>
        value;
    std::string comment; // unit and meaning, printed beside the value
    double above = -std::numeric_limits<double>::infinity(); // a number must be greater than this
    bool given = false;                                      // set when the file gives the key
    long line = 0;                                           // where the file gives it
    double below = std::numeric_limits<double>::infinity();  // a number must be less than this
    // Keys of the same table that may not be given together with this one: two ways of giving
    // the same values.
    std::vector<std::string> excludes = {};
    // A key of the same table without which this one means nothing ("" for none).
    std::string needs = {};
    // When set and it returns a note, the key is printed as a comment with the note in place of
    // its comment: its value follows from other keys of the table, or is not in use. So that the
    // printed table reads back as the same settings.
    std::function<std::string()> aside = {};
};

// A key holding one number (stored in single or double precision, or none until the file gives
// one) that must be greater than `above`.
SettingKey number(std::string name, float& value, std::string comment,
                  double above = -std::numeric_limits<double>::infinity());
SettingKey number(std::string name, double& value, std::string comment,
                  double above = -std::numeric_limits<double>::infinity());
SettingKey number(std::string name, std::optional<double>& value, std::string comment,
                  double above = -std::numeric_limits<double>::infinity());
// A key holding a whole number (a TOML integer) that must be greater than `above`.
SettingKey whole(std::string name, long& value, std::string comment,
                 double above = -std::numeric_limits<double>::infinity());
// A key holding an array of exactly values.size() numbers.
SettingKey numbers(std::string name, std::span<float> values, std::string comment);
// A key holding an array of two numbers.
SettingKey pair(std::string name, NumberPair& value, std::string comment);
SettingKey pair(std::string name, std::optional<NumberPair>& value, std::string comment);
// A key holding a string, or true or false.
SettingKey text(std::string name, std::string& value, std::string comment);
SettingKey flag(std::string name, bool& value, std::string comment);
// A key holding one of the words.
SettingKey choice(std::string name, int& index, std::vector<std::string> words,
                  std::string comment);
// A key holding an array of distinct words, each one of `allowed` (any word when it is empty).
SettingKey words(std::string name, std::vector<std::string>& values,
                 std::vector<std::string> allowed, std::string comment);
// A key holding a table of number pairs, or of tables of numbers, by name, each name one of
// `names` (any name when it is empty). The file's table replaces the whole of the value.
SettingKey pairs_by_name(std::string name, ByName<NumberPair>& entries,
                         std::vector<std::string> names, std::string comment);
SettingKey numbers_by_name(std::string name, ByName<std::map<std::string, double>>& entries,
                           std::vector<std::string> names, std::string comment);

// One table "[name]" of the settings file.
struct SettingsTable {
    std::string name;
    std::string comment; // what the table holds and which programs read it
    std::vector<SettingKey> keys;
    // Called once the file has been read into the members: values that follow from other keys,
    // and the checks of keys against each other (see refuse).
    std::function<void(const SettingsTable&)> complete = {};
    std::string file = {}; // the settings file read into the table, for the messages

    // True when the file gave the key.
    bool given(std::string_view key) const;
    // The line where the file gave the key; 0 when it did not.
    long line(std::string_view key) const;
    // Throws a RunFailure "file:line: [name] reason" (no line when it is 0).
    [[noreturn]] void refuse(long line, const std::string& reason) const;
};

// The settings file every program looks for in its working directory.
inline constexpr const char* kSettingsFile = "snphot.toml";

// Reads the text of a settings file called `name` into the tables: every key the text gives
// replaces the value of its member, and each table is completed. A text that is not TOML, a table
// of no program of the suite, or a key of the tables that breaks their rules throws a RunFailure
// "name:line: reason" (cli.hpp).
void read_settings_text(std::string_view text, const std::string& name,
                        std::span<SettingsTable> tables);

// The settings file of a run: `requested` (the FILE of --settings), which must exist, or else
// snphot.toml in the working directory when there is one. Reads it into the tables and returns
// its name; returns an empty name, and leaves the tables as they are, when there is no file. A
// file that cannot be read throws a RunFailure naming it.
std::string read_settings_file(const std::string* requested, std::span<SettingsTable> tables);

// A number as the settings file writes it: the shortest text that reads back as the same value,
// always a TOML float.
std::string settings_number(double value);
std::string settings_number(float value);

// Prints the tables in the syntax of the file, each with its comment, every key with its value
// written so that it reads back as the same number (a key set aside as a comment with its note; a
// number that is not set shows as "?").
void print_settings(std::FILE* out, std::span<const SettingsTable> tables);

} // namespace snphot
