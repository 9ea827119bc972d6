// The result table "Eredmeny.txt", read as the light-curve builders and starcal (blocks of 6 lines)
// and starcorr (blocks of 5 lines) read it: the counting pass, which echoes every block, then
// the second pass block by block. A table that passed the counting pass must give the second pass
// the same blocks, every field a finite number, without a refusal.
#include "result_table.hpp"
#include "fuzz_support.hpp"
#include "truncate.hpp"

#include <cstdint>
#include <cstdio>

namespace {

using namespace snphot;

// The counting pass's echo of one block, for the comparison of the two passes.
void echo_block(std::FILE* out, const ImageBlock& block) {
    for (const MeasurementRow& row : block.rows) {
        std::fprintf(out, "%d  %s  %f  %f  %f\n", to_int_truncated(row[measurement::id]),
                     block.band.c_str(), row[measurement::jd], row[measurement::mag],
                     row[measurement::err]);
    }
    std::fprintf(out, "\n");
}

void read_table(const std::uint8_t* data, std::size_t size, int lines_per_block) {
    fuzz::InputStream in(data, size);
    ResultTable table(in.get(), "Eredmeny.txt", lines_per_block);
    fuzz::OutputBuffer first;
    int blocks = 0;
    if (!fuzz::accepted([&] { blocks = table.count_blocks(first.get(), CountLine::bare); })) return;
    if (blocks < 1) fuzz::finding("the counting pass accepted a table of no block");

    table.rewind();
    fuzz::OutputBuffer second;
    std::fprintf(second.get(), "Beolvasva:\n");
    ImageBlock block;
    const bool read = fuzz::accepted([&] {
        for (int b = 0; b < blocks; ++b) {
            table.read_block(block);
            if (static_cast<int>(block.rows.size()) != lines_per_block)
                fuzz::finding("a block of the wrong number of rows");
            for (const MeasurementRow& row : block.rows)
                for (float field : row) fuzz::expect_finite(field, "a field that is not finite");
            echo_block(second.get(), block);
            sort_by_identifier(block);
            (void)dates_agree(block);
        }
    });
    if (!read) fuzz::finding("the second pass refused a table that passed the counting pass");
    std::fprintf(second.get(), "szamolt kepek: %d", blocks);
    if (first.text() != second.text())
        fuzz::finding("the second pass read other blocks than the counting pass echoed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    read_table(data, size, 6);
    read_table(data, size, 5);
    return 0;
}
