// snmodel's parameter file "parameters.inp": thirteen numbers. A file that is accepted leaves
// every parameter a finite number within its checks.
#include "parameters.hpp"
#include "fuzz_support.hpp"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputStream in(data, size);
    snmodel::ModelState m;
    if (!fuzz::accepted([&] { snmodel::read_parameters(in.get(), "parameters.inp", m); })) return 0;
    for (int i = 0; i < static_cast<int>(snmodel::kParameters.size()); ++i) {
        if (!snmodel::parameter_fault(i, m.*snmodel::kParameters[i].field).empty())
            fuzz::finding("a parameter accepted against its check");
    }
    return 0;
}
