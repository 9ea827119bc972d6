// The whole example campaign through all fourteen programs (examples/run.sh), and the invariants
// of the chain, each computed here independently of the programs.
#include "e2e.hpp"
#include "lcbuild/settings_bvri.hpp"

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

// Runs the campaign once for all tests of this file.
class Campaign : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scratch_ = new e2e::Scratch;
        run_ = scratch_->dir() / "run";
        const std::string command =
            "SNPHOT_BIN='" + std::string(SNPHOT_TEST_BIN_DIR) + "' '" + SNPHOT_SOURCE_DIR +
            "/examples/run.sh' '" + SNPHOT_SOURCE_DIR + "/examples/campaign' '" + run_.string() +
            "' >'" + (scratch_->dir() / "summary.txt").string() + "' 2>&1 </dev/null";
        status_ = std::system(command.c_str());
    }
    static void TearDownTestSuite() { delete scratch_; }

    static e2e::Scratch* scratch_;
    static fs::path run_;
    static int status_;
};

e2e::Scratch* Campaign::scratch_ = nullptr;
fs::path Campaign::run_;
int Campaign::status_ = -1;

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
    const std::string listing = slurp(run_ / "griz" / "szuro.txt");
    const char* names[] = {"TV", "TR", "TI", "TB"}; // the slots V R I B of lcbuild-bvri
    for (int slot = 0; slot < 4; ++slot) {
        for (int k = 0; k < 5; ++k) {
            char entry[64];
            std::snprintf(entry, sizeof entry, "%s[%d]=%f;", names[slot], k,
                          lcbuild::settings.catalogue[slot][k]);
            EXPECT_NE(listing.find(entry), std::string::npos) << entry;
        }
    }
}

TEST_F(Campaign, StarcalRecoversTheComparisonStarCatalogue) {
    ASSERT_EQ(status_, 0);
    // The magnitudes the campaign was made with.
    std::ifstream truth(std::string(SNPHOT_SOURCE_DIR) + "/examples/campaign/catalogue.txt");
    std::string header;
    std::getline(truth, header);
    std::map<int, std::vector<double>> catalogue;
    int id;
    double g, r, i, z;
    while (truth >> id >> g >> r >> i >> z) catalogue[id] = {g, r, i, z};
    ASSERT_EQ(catalogue.size(), 5u);

    const char* bands[] = {"g", "r", "i", "z"};
    for (int b = 0; b < 4; ++b) {
        std::ifstream ref(run_ / "calibration" / (std::string(bands[b]) + "-ref.txt"));
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
        EXPECT_NEAR(value, truths.at(name), 2.0 * std::stod(error)) << name;
        ++free;
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
    EXPECT_EQ(files, 9);
}

} // namespace
