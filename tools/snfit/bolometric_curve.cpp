#include "bolometric_curve.hpp"

#include "cli.hpp"
#include "scanner.hpp"

namespace snfit {

std::vector<Point> read_bolometric_curve(std::FILE* file, const std::string& name) {
    snphot::Scanner in(file, name);
    std::vector<Point> points;
    while (!in.at_end()) {
        Point p;
        if (!in.read_double(p.date) || !in.read_double(p.mag) || !in.read_double(p.error)) {
            if (!in.at_end())
                snphot::warn(snphot::at_line(name, in.line()),
                             "not a row of three numbers; the rest of the file is not read");
            break;
        }
        p.line = in.field_line();
        in.skip_space();
        points.push_back(p);
    }
    return points;
}

} // namespace snfit
