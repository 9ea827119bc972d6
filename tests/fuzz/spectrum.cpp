// specjoin's spectrum "PSNspectraCut2.txt": points "wavelength flux". An accepted spectrum has at
// least one point, as many fluxes as wavelengths, and only finite numbers.
#include "fuzz_support.hpp"
#include "specjoin/readers.hpp"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputStream in(data, size);
    specjoin::Spectrum spectrum;
    const double divisor = 1.0044; // specjoin's 1 + z
    if (!fuzz::accepted(
            [&] { spectrum = specjoin::read_spectrum(in.get(), "PSNspectraCut2.txt", divisor); }))
        return 0;
    if (spectrum.W.empty() || spectrum.W.size() != spectrum.F.size())
        fuzz::finding("a spectrum of no point, or of unpaired wavelengths and fluxes");
    for (std::size_t j = 0; j < spectrum.W.size(); ++j) {
        fuzz::expect_finite(spectrum.W[j], "a wavelength that is not finite");
        fuzz::expect_finite(spectrum.F[j], "a flux that is not finite");
    }
    return 0;
}
