// bandtab: the comparison-star catalogue in V Rc Ic B, on the console and in "szuro.txt".
#include "e2e.hpp"

#include <gtest/gtest.h>

namespace {

// The forward transformation of the g r i catalogue, worked out in double precision and rounded to
// single precision: e.g. V[0] = 16.54 - 0.565 (16.54 - 16.14) - 0.016 = 16.298.
const std::string kConsole = "\n"
                             "TV[0]=16.298000;    TV[1]=16.243700;    TV[2]=16.709751;    "
                             "TV[3]=16.006701;    TV[4]=15.479350;    \n"
                             "TR[0]=16.001579;    TR[1]=15.845460;    TR[2]=16.391581;    "
                             "TR[3]=15.696990;    TR[4]=15.082399;    \n"
                             "TI[0]=15.612380;    TI[1]=15.419061;    TI[2]=16.002378;    "
                             "TI[3]=15.279890;    TI[4]=14.637400;    \n"
                             "TB[0]=16.884201;    TB[1]=17.023062;    TB[2]=17.339849;    "
                             "TB[3]=16.610460;    TB[4]=16.249929;    "
                             "\n\n";

const std::string kListing =
    "\n"
    "   TV[0]=16.298000;        TV[1]=16.243700;        TV[2]=16.709751;        "
    "TV[3]=16.006701;        TV[4]=15.479350;        \n"
    "   TR[0]=16.001579;        TR[1]=15.845460;        TR[2]=16.391581;        "
    "TR[3]=15.696990;        TR[4]=15.082399;        \n"
    "   TI[0]=15.612380;        TI[1]=15.419061;        TI[2]=16.002378;        "
    "TI[3]=15.279890;        TI[4]=14.637400;        \n"
    "   TB[0]=16.884201;        TB[1]=17.023062;        TB[2]=17.339849;        "
    "TB[3]=16.610460;        TB[4]=16.249929;        "; // no final line end

} // namespace

TEST(Bandtab, WritesTheListingAndShowsItOnTheConsole) {
    e2e::Scratch s;
    s.write("szuro.txt", "an older listing that is replaced\n");
    const e2e::Result r = s.run("bandtab");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kConsole);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(s.read("szuro.txt"), kListing);
    EXPECT_EQ(s.files(), std::vector<std::string>{"szuro.txt"});
}

TEST(Bandtab, ListingThatCannotBeCreatedFailsAfterTheConsoleListing) {
    e2e::Scratch s;
    std::filesystem::create_directory(s.dir() / "szuro.txt");
    const e2e::Result r = s.run("bandtab");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kConsole);
    EXPECT_EQ(r.err, "bandtab: szuro.txt: cannot open: Is a directory\n");
}
