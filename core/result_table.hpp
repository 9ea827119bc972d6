// The photometry result table "Eredmeny.txt": image blocks of K measurement lines
// "identifier band JD magnitude error", read with "%f  %s  %f  %f  %f\n".
#pragma once

#include "scanner.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace snphot {

// One measurement in memory, single precision: JD, magnitude, error, identifier.
using MeasurementRow = std::array<float, 4>;
// The columns of a MeasurementRow.
namespace measurement {
inline constexpr int jd = 0, mag = 1, err = 2, id = 3;
} // namespace measurement

struct ImageBlock {
    std::vector<MeasurementRow> rows; // in file order (until sorted)
    std::string band;                 // band word of the block's last line
    long first_line = 0;              // line of the block's first measurement, for diagnostics
};

enum class CountLine { bare, with_line_end };

class ResultTable {
  public:
    ResultTable(std::FILE* file, std::string name, int lines_per_block)
        : scanner_(file, name), name_(std::move(name)), k_(lines_per_block) {}

    // The counting pass: prints "Beolvasva:\n", echoes every block, prints "szamolt kepek: %d"
    // and returns the count. Throws RunFailure naming the file and line when the table is
    // empty, ends inside a block, or holds something else where a number is due.
    int count_blocks(std::FILE* out, CountLine count_line);
    // Rewinds to the start for the second pass.
    void rewind() { scanner_.rewind(); }
    // Second pass: reads the next block (the table has passed the counting pass).
    void read_block(ImageBlock& block);

    const std::string& name() const { return name_; }

  private:
    void read_measurement(MeasurementRow& row, std::string& band, int index);

    Scanner scanner_;
    std::string name_;
    int k_;
};

// The counting pass on standard output, the pause after it, and the rewind for the second pass,
// as every program that reads a result table makes them; returns the number of image blocks.
int count_and_wait(ResultTable& table, CountLine count_line);

// Sorts a block by identifier, lowest first, with the bubble sort of the light-curve builders:
// equal identifiers keep their order, an undefined identifier swaps nothing.
void sort_by_identifier(ImageBlock& block);

// The date check of the light-curve builders: the target (last row) was taken at the JD of row 0.
bool dates_agree(const ImageBlock& block);

} // namespace snphot
