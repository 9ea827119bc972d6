// The whole example campaign through all fifteen programs (examples/run.sh), the second example
// field through the photometric ones, and the invariants of the chain, each computed here
// independently of the programs. Nothing here depends on the programs' built-in settings: each
// field carries its own snphot.toml.
#include "e2e.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Row {
    double t, mag, error, calib;
};

std::vector<Row> read_rows(const fs::path& file) {
    std::ifstream in(file);
    std::vector<Row> rows;
    Row r;
    while (in >> r.t >> r.mag >> r.error >> r.calib) rows.push_back(r);
    return rows;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const fs::path kExamples = fs::path(SNPHOT_SOURCE_DIR) / "examples";

// The numbers of a line "key = [a, b, ...]" or "key = a" of a settings file, as printed by
// --print-settings or written by the generator.
std::vector<double> settings_numbers(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + " = ", 0) != 0) continue;
        std::string numbers = line.substr(key.size() + 3);
        numbers = numbers.substr(0, numbers.find('#'));
        for (char& c : numbers)
            if (c == '[' || c == ']' || c == ',') c = ' ';
        std::istringstream in(numbers);
        std::vector<double> values;
        for (double v; in >> v;) values.push_back(v);
        return values;
    }
    return {};
}

// Runs examples/run.sh on a field into `run`; returns its exit status.
int run_example(const std::string& field, const fs::path& run, const fs::path& summary) {
    const std::string command = "SNPHOT_BIN='" + std::string(SNPHOT_TEST_BIN_DIR) + "' '" +
                                (kExamples / "run.sh").string() + "' '" +
                                (kExamples / field).string() + "' '" + run.string() + "' >'" +
                                summary.string() + "' 2>&1 </dev/null";
    return std::system(command.c_str());
}

// Runs the campaign and the second field once for all tests of this file.
class Campaign : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scratch_ = new e2e::Scratch;
        run_ = scratch_->dir() / "run";
        status_ = run_example("campaign", run_, scratch_->dir() / "summary.txt");
        another_ = scratch_->dir() / "another";
        another_status_ =
            run_example("another-field", another_, scratch_->dir() / "another-summary.txt");
    }
    static void TearDownTestSuite() { delete scratch_; }

    static e2e::Scratch* scratch_;
    static fs::path run_;
    static int status_;
    static fs::path another_;
    static int another_status_;
};

e2e::Scratch* Campaign::scratch_ = nullptr;
fs::path Campaign::run_;
int Campaign::status_ = -1;
fs::path Campaign::another_;
int Campaign::another_status_ = -1;

// The catalogue of lcbuild-bvri in a stage of a run, as it reports it with --print-settings: the
// slots V R I B.
std::vector<std::vector<double>> lcbuild_bvri_catalogue(const fs::path& stage) {
    const std::string command = "cd '" + stage.string() + "' && '" + SNPHOT_TEST_BIN_DIR +
                                "/lcbuild-bvri' --print-settings >printed.toml";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string printed = slurp(stage / "printed.toml");
    fs::remove(stage / "printed.toml");
    std::vector<std::vector<double>> slots;
    for (const char* band : {"V", "R", "I", "B"}) slots.push_back(settings_numbers(printed, band));
    return slots;
}

// bandtab's listing holds every entry of the catalogue that lcbuild-bvri uses.
void expect_listing_of(const fs::path& stage) {
    const std::string listing = slurp(stage / "szuro.txt");
    const auto catalogue = lcbuild_bvri_catalogue(stage);
    const char* names[] = {"TV", "TR", "TI", "TB"}; // the slots V R I B of lcbuild-bvri
    for (int slot = 0; slot < 4; ++slot) {
        ASSERT_EQ(catalogue[slot].size(), 5u) << names[slot];
        for (int k = 0; k < 5; ++k) {
            char entry[64];
            std::snprintf(entry, sizeof entry, "%s[%d]=%f;", names[slot], k,
                          static_cast<float>(catalogue[slot][k]));
            EXPECT_NE(listing.find(entry), std::string::npos) << entry;
        }
    }
}

// starcal's colour-corrected reference tables give back the catalogue the field was made with.
void expect_starcal_recovers(const fs::path& calibration, const fs::path& catalogue_file) {
    std::ifstream truth(catalogue_file);
    std::string header;
    std::getline(truth, header);
    std::map<int, std::vector<double>> catalogue;
    int id;
    double g, r, i, z;
    while (truth >> id >> g >> r >> i >> z) catalogue[id] = {g, r, i, z};
    ASSERT_EQ(catalogue.size(), 5u);

    const char* bands[] = {"g", "r", "i", "z"};
    for (int b = 0; b < 4; ++b) {
        std::ifstream ref(calibration / (std::string(bands[b]) + "-ref.txt"));
        std::string line;
        while (std::getline(ref, line) && line != "Szinkorrigalt:") {
        }
        ASSERT_EQ(line, "Szinkorrigalt:") << bands[b];
        double mag, scatter;
        int checked = 0;
        while (ref >> id >> mag >> scatter) {
            if (!catalogue.count(id)) continue; // object 6 is the supernova
            EXPECT_NEAR(mag, catalogue[id][b], 3.0 * scatter + 0.02)
                << "object " << id << " band " << bands[b];
            ++checked;
        }
        EXPECT_EQ(checked, 5) << bands[b];
    }
}

TEST_F(Campaign, RunsAllFourteenProgramsWithoutError) {
    ASSERT_EQ(status_, 0) << slurp(scratch_->dir() / "summary.txt");
    const std::string summary = slurp(scratch_->dir() / "summary.txt");
    for (const char* program :
         {"lcbuild-bvri", "lcbuild-griz", "bandconv", "lcsub", "lcsub-err", "bolcurve", "starcorr",
          "starcal", "bandtab", "snmodel", "decayheat", "specjoin", "cumquad", "cumquad2"})
        EXPECT_NE(summary.find(std::string(program) + " "), std::string::npos) << program;
}

TEST_F(Campaign, FinalBvriLightCurvesEqualTheStandardOnes) {
    ASSERT_EQ(status_, 0);
    for (const char* band : {"V", "R", "I", "B"}) {
        const std::string standard = slurp(run_ / "bvri" / (std::string(band) + "-gorbeS.txt"));
        EXPECT_GT(standard.size(), 1000u) << band;
        EXPECT_EQ(slurp(run_ / "bvri" / (std::string(band) + "-gorbe.txt")), standard) << band;
    }
}

TEST_F(Campaign, VConvertedFromGrizAgreesWithMeasuredVWithinTheErrors) {
    ASSERT_EQ(status_, 0);
    std::map<long, Row> measured;
    for (const Row& r : read_rows(run_ / "bvri" / "V-gorbe.txt")) measured.emplace(long(r.t), r);
    int compared = 0;
    for (const Row& c : read_rows(run_ / "griz" / "V-gorbeC.txt")) {
        auto it = measured.find(long(c.t));
        if (it == measured.end()) continue;
        const Row& m = it->second;
        const double sigma = std::sqrt(c.error * c.error + c.calib * c.calib + m.error * m.error +
                                       m.calib * m.calib);
        EXPECT_LT(std::fabs(c.mag - m.mag), 3.0 * sigma + 0.01) << "night " << long(c.t);
        ++compared;
    }
    EXPECT_GE(compared, 35);
}

TEST_F(Campaign, BandtabListsTheLcbuildBvriCatalogue) {
    ASSERT_EQ(status_, 0);
    expect_listing_of(run_ / "griz");
}

TEST_F(Campaign, StarcalRecoversTheComparisonStarCatalogue) {
    ASSERT_EQ(status_, 0);
    // The magnitudes the campaign was made with.
    expect_starcal_recovers(run_ / "calibration", kExamples / "campaign" / "catalogue.txt");
}

TEST_F(Campaign, AnotherFieldRunsThroughThePhotometricPrograms) {
    ASSERT_EQ(another_status_, 0) << slurp(scratch_->dir() / "another-summary.txt");
    const std::string summary = slurp(scratch_->dir() / "another-summary.txt");
    for (const char* program : {"lcbuild-bvri", "lcbuild-griz", "bandconv", "lcsub", "lcsub-err",
                                "bolcurve", "starcorr", "starcal", "bandtab"})
        EXPECT_NE(summary.find(std::string(program) + " "), std::string::npos) << program;
    EXPECT_EQ(summary.find("warnings"), std::string::npos) << summary;
    // Its own catalogue, through its own settings.
    expect_listing_of(another_ / "griz");
    expect_starcal_recovers(another_ / "calibration",
                            kExamples / "another-field" / "catalogue.txt");
}

// The row of the reference night is not brighter than itself: lcsub marks it 100 mag fainter.
TEST_F(Campaign, AnotherFieldSubtractsItsOwnReferenceNight) {
    ASSERT_EQ(another_status_, 0);
    const double reference =
        settings_numbers(slurp(kExamples / "another-field" / "snphot.toml"), "reference_date")
            .at(0);
    int marked = 0, later = 0;
    for (const Row& r : read_rows(another_ / "bvri" / "V-gorbeR.txt")) {
        if (long(r.t) == long(reference)) {
            EXPECT_GT(r.mag, 100.0) << r.t;
            ++marked;
        } else if (r.t > reference + 5) {
            EXPECT_LT(r.mag, 50.0) << r.t;
            ++later;
        }
    }
    EXPECT_EQ(marked, 1);
    EXPECT_GT(later, 10);
}

// The same supernova, exploded just after each field's reference night, farther away and behind
// more dust in the second field: reduced with each field's distance and extinction, the absolute
// bolometric light curves agree night by night of the supernova's age.
TEST_F(Campaign, BothFieldsGiveTheSameAbsoluteBolometricLightCurve) {
    ASSERT_EQ(status_, 0);
    ASSERT_EQ(another_status_, 0);
    const double first =
        settings_numbers(slurp(kExamples / "campaign" / "snphot.toml"), "reference_date").at(0);
    const double second =
        settings_numbers(slurp(kExamples / "another-field" / "snphot.toml"), "reference_date")
            .at(0);
    // bol-gorbe.txt: time, absolute bolometric magnitude, its uncertainty; by age in 0.01 day.
    auto by_age = [](const fs::path& file, double reference) {
        std::map<long, std::pair<double, double>> rows;
        std::ifstream in(file);
        for (double t, mag, error; in >> t >> mag >> error;)
            rows[std::lround((t - reference) * 100)] = {mag, error};
        return rows;
    };
    const auto campaign = by_age(run_ / "bolometric" / "bol-gorbe.txt", first);
    int compared = 0;
    for (const auto& [age, row] : by_age(another_ / "bolometric" / "bol-gorbe.txt", second)) {
        auto it = campaign.find(age);
        if (it == campaign.end()) continue;
        const auto [mag, error] = row;
        const auto [campaign_mag, campaign_error] = it->second;
        EXPECT_NEAR(mag, campaign_mag, 3.0 * std::hypot(error, campaign_error) + 0.01)
            << "age " << age / 100.0;
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

TEST_F(Campaign, DrawsTheFiguresWhenGnuplotIsThere) {
    ASSERT_EQ(status_, 0);
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) GTEST_SKIP() << "no gnuplot";
    for (const char* figure : {"lightcurves-bvri", "lightcurves-griz", "colour", "converted",
                               "subtracted", "bolometric", "model", "decay", "halpha"}) {
        const fs::path png = run_ / "figures" / (std::string(figure) + ".png");
        ASSERT_TRUE(fs::exists(png)) << png;
        EXPECT_EQ(slurp(png).substr(1, 3), "PNG") << png;
    }
}

// The bolometric light curve of the example follows the model of parameters.inp, exploding at
// JD 2457834.9: snfit must find it again within its errors.
TEST_F(Campaign, SnfitFindsTheModelBehindTheBolometricLightCurve) {
    ASSERT_EQ(status_, 0);
    std::ifstream truth_file(std::string(SNPHOT_SOURCE_DIR) + "/examples/campaign/parameters.inp");
    std::vector<double> truth;
    for (double value; truth_file >> value;) truth.push_back(value);
    ASSERT_EQ(truth.size(), 13u);
    const std::map<std::string, double> truths = {{"explosion_date", 57834.9},
                                                  {"R0", truth[0]},
                                                  {"M", truth[1]},
                                                  {"Mni", truth[3]},
                                                  {"Ek", truth[4]}};
    // The table of fit.txt: from its header to the blank line after it.
    std::ifstream report(run_ / "bolometric" / "fit.txt");
    std::string line;
    while (std::getline(report, line) && line.rfind("parameter ", 0) != 0) {
    }
    int free = 0;
    while (std::getline(report, line) && !line.empty()) {
        std::istringstream in(line);
        std::string name, error;
        double value;
        if (!(in >> name >> value >> error) || !truths.count(name)) continue;
        ++free;
        // A parameter on a bound has no symmetric error: the date ends on its upper bound, the
        // first detection, within the two days of its bounds from the truth.
        if (error == "at") {
            EXPECT_NE(line.find(" at a bound "), std::string::npos) << line;
            EXPECT_NEAR(value, truths.at(name), 2.0) << name;
            continue;
        }
        EXPECT_NEAR(value, truths.at(name), 2.0 * std::stod(error)) << name;
    }
    EXPECT_EQ(free, 5);
    EXPECT_NE(slurp(run_ / "bolometric" / "fit.txt").find("\nconverged: yes\n"), std::string::npos);
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) GTEST_SKIP() << "no gnuplot";
    EXPECT_EQ(slurp(run_ / "figures" / "fit.png").substr(1, 3), "PNG");
}

TEST(ExampleCampaign, IsWhatItsGeneratorMakes) {
    e2e::Scratch scratch;
    const std::string command =
        "'" + std::string(SNPHOT_CAMPAIGN_GENERATOR) + "' '" + scratch.dir().string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const fs::path committed = fs::path(SNPHOT_SOURCE_DIR) / "examples" / "campaign";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(scratch.dir())) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(slurp(entry.path()), slurp(committed / name)) << name;
        ++files;
    }
    EXPECT_EQ(files, 11); // the nine data files, snphot.toml and truth.txt
}

TEST(ExampleCampaign, AnotherFieldIsWhatItsGeneratorMakes) {
    e2e::Scratch scratch;
    const std::string command = "'" + std::string(SNPHOT_CAMPAIGN_GENERATOR) + "' '" +
                                scratch.dir().string() + "' another-field";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> names = scratch.files();
    EXPECT_EQ(names, (std::vector<std::string>{"B-gorbeA.txt", "Eredmeny-BVRI.txt",
                                               "Eredmeny-griz.txt", "I-gorbeA.txt", "catalogue.txt",
                                               "snphot.toml", "standard-field.txt"}));
    for (const std::string& name : names)
        EXPECT_EQ(scratch.read(name), slurp(kExamples / "another-field" / name)) << name;
}

} // namespace
