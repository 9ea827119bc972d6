#include "result_table.hpp"

#include "cli.hpp"
#include "truncate.hpp"

#include <utility>

namespace snphot {

void ResultTable::read_measurement(MeasurementRow& row, std::string& band, int index) {
    static const char* const field_names[] = {"identifier", "band word", "JD", "magnitude",
                                              "error"};
    auto fail_at = [&](int field) {
        if (scanner_.at_end()) {
            throw RunFailure(at_line(name_, scanner_.field_line()),
                             "the table ends inside an image block (after " +
                                 std::to_string(index) + " of its " + std::to_string(k_) +
                                 " lines)");
        }
        throw RunFailure(at_line(name_, scanner_.line()),
                         std::string("not a number where the ") + field_names[field] + " is due");
    };
    if (!scanner_.read_float(row[measurement::id])) fail_at(0);
    if (!scanner_.read_word(band)) fail_at(1);
    if (!scanner_.read_float(row[measurement::jd])) fail_at(2);
    if (!scanner_.read_float(row[measurement::mag])) fail_at(3);
    if (!scanner_.read_float(row[measurement::err])) fail_at(4);
    scanner_.skip_space();
}

void ResultTable::read_block(ImageBlock& block) {
    block.rows.resize(k_);
    block.first_line = scanner_.line();
    for (int j = 0; j < k_; ++j) read_measurement(block.rows[j], block.band, j);
}

int ResultTable::count_blocks(std::FILE* out, CountLine count_line) {
    std::fprintf(out, "Beolvasva:\n");
    scanner_.skip_space();
    if (scanner_.at_end()) throw RunFailure(at_line(name_, 1), "no measurement in the table");
    int count = 0;
    ImageBlock block;
    while (!scanner_.at_end()) {
        read_block(block);
        for (const MeasurementRow& row : block.rows) {
            std::fprintf(out, "%d  %s  %f  %f  %f\n", to_int_truncated(row[measurement::id]),
                         block.band.c_str(), row[measurement::jd], row[measurement::mag],
                         row[measurement::err]);
        }
        std::fprintf(out, "\n");
        ++count;
    }
    std::fprintf(out, count_line == CountLine::bare ? "szamolt kepek: %d" : "szamolt kepek: %d\n",
                 count);
    return count;
}

int count_and_wait(ResultTable& table, CountLine count_line) {
    const int blocks = table.count_blocks(stdout, count_line);
    pause_for_key();
    table.rewind();
    return blocks;
}

void sort_by_identifier(ImageBlock& block) {
    auto& rows = block.rows;
    for (int k = static_cast<int>(rows.size()) - 1; k >= 1; --k) {
        for (int j = 0; j < k; ++j) {
            if (rows[j][measurement::id] > rows[j + 1][measurement::id])
                std::swap(rows[j], rows[j + 1]);
        }
    }
}

bool dates_agree(const ImageBlock& block) {
    return block.rows.back()[measurement::jd] == block.rows[0][measurement::jd];
}

} // namespace snphot
