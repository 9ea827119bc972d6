#include "estimators.hpp"

#include <cmath>
#include <vector>

namespace snphot {

namespace {

bool row_enters(EstimatorForm form, int i, float magnitude) {
    switch (form) {
    case EstimatorForm::lcbuild:
        return i >= 1 && magnitude != 0.0f;
    case EstimatorForm::starcorr:
        return i != 1;
    case EstimatorForm::starcal:
        return true;
    }
    return false;
}

struct Differences {
    std::vector<long double> d; // single differences of the rows that entered, in row order
    int divisor = 0;
};

Differences single_differences(EstimatorForm form, Block block, Catalogue c, Catalogue a,
                               Catalogue b, int n, float k) {
    Differences result;
    for (int i = 0; i < n; ++i) {
        const float m = block[i][measurement::mag];
        if (!row_enters(form, i, m)) continue;
        const long double colour = static_cast<long double>(a[i]) - b[i];
        result.d.push_back((static_cast<long double>(m) - c[i]) - colour * k);
    }
    switch (form) {
    case EstimatorForm::lcbuild:
        result.divisor = static_cast<int>(result.d.size());
        break;
    case EstimatorForm::starcorr:
        result.divisor = n - 1;
        break;
    case EstimatorForm::starcal:
        result.divisor = n;
        break;
    }
    return result;
}

float mean_of(const Differences& diffs) {
    float sum = 0.0f;
    for (long double d : diffs.d) sum = static_cast<float>(sum + d);
    return static_cast<float>(static_cast<long double>(sum) / diffs.divisor);
}

} // namespace

float kivonas2(EstimatorForm form, Block block, Catalogue c, Catalogue a, Catalogue b, int n,
               float k) {
    return mean_of(single_differences(form, block, c, a, b, n, k));
}

float hiba2(EstimatorForm form, Block block, Catalogue c, Catalogue a, Catalogue b, int n, float k,
            std::FILE* out) {
    const Differences diffs = single_differences(form, block, c, a, b, n, k);
    const float z = mean_of(diffs);
    std::fprintf(out, "\n");
    float total = 0.0f;
    for (long double d : diffs.d) {
        const long double deviation = z - d;
        std::fprintf(out, "%f  ", static_cast<double>(d));
        std::fprintf(out, "%f\n", static_cast<double>(deviation));
        total = static_cast<float>(total + deviation * deviation);
    }
    const double variance = static_cast<double>(static_cast<long double>(total) / diffs.divisor);
    return static_cast<float>(std::sqrt(variance));
}

float kivonas(EstimatorForm form, Block block, Catalogue c, int n) {
    return kivonas2(form, block, c, c, c, n, 0.0f);
}

float hiba(EstimatorForm form, Block block, Catalogue c, int n, std::FILE* out) {
    return hiba2(form, block, c, c, c, n, 0.0f, out);
}

} // namespace snphot
