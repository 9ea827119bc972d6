// specjoin's lookup table "fasz": entries "edge value unused". Every accepted entry holds finite
// numbers.
#include "fuzz_support.hpp"
#include "specjoin/readers.hpp"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputStream in(data, size);
    fuzz::accepted([&] {
        for (const specjoin::LookupEntry& entry : specjoin::read_lookup(in.get(), "fasz")) {
            fuzz::expect_finite(entry.a, "an edge that is not finite");
            fuzz::expect_finite(entry.b, "a value that is not finite");
        }
    });
    return 0;
}
