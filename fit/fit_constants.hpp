// snfit's built-in settings: its files, the magnitude scale of the model, and the choices of the
// fit that are not for the user to tune (what the user tunes stands in the [fit] table of
// "snphot.toml").
#pragma once

namespace snfit::settings {

inline constexpr const char* kParameterFile = "parameters.inp";
inline constexpr const char* kReport = "fit.txt";
inline constexpr const char* kFittedParameters = "parameters-fit.inp";
inline constexpr const char* kModelCurve = "fit-model.txt";
inline constexpr const char* kResiduals = "fit-residuals.txt";

// M = kSunMagnitude - 2.5 log10(Lsn / kSunLuminosity)
inline constexpr double kSunMagnitude = 4.74;      // absolute bolometric magnitude of the Sun
inline constexpr double kSunLuminosity = 3.828e33; // erg/s

inline constexpr double kDefaultStartBeforeData = 10.0; // d: explosion date start, before the data
inline constexpr double kModelCurvePastData = 20.0; // d: fit-model.txt goes this far past the data
// d: the latest data point may follow the latest explosion date of the fit by at most this much,
// which bounds the length of every model run.
inline constexpr double kLongestSpan = 3000.0;

// The fit. The model is not smooth on small scales: its front is found by bisection to 1e-6 (a
// staircase of about 1e-5 mag in the parameters), and the end of the plateau falls on a step of
// the integration (0.23 d), so the light curve after it moves in jumps. The derivatives are taken
// over steps that average over both: a change of 1% of a positive parameter, 1% of the bounds of
// the others.
inline constexpr double kDerivativeStep = 1e-2;
inline constexpr int kStartsBase = 4;              // global stage: 4 + 2 per free parameter starts,
inline constexpr int kStartsPerParameter = 2;      // the first from the start values
inline constexpr int kGlobalIterations = 15;       // Levenberg-Marquardt iterations per start
inline constexpr int kRefinedStarts = 3;           // the best starts refined to convergence
inline constexpr int kLocalIterations = 100;       // for the best start, to convergence
inline constexpr double kFunctionTolerance = 1e-7; // relative change of chi^2 that ends the fit
inline constexpr double kParameterTolerance = 1e-7;
inline constexpr int kCovariancePasses = 3;  // derivatives over one sigma: passes to settle
inline constexpr double kLargestStep = 0.25; // of a derivative, as a fraction of the bounds
inline constexpr double kSmallestSingularValue = 1e-7; // of J, relative: below, rank deficient
inline constexpr int kAxisPasses = 10;         // errors: Jacobians along the principal axes,
inline constexpr double kAxisTolerance = 0.01; // until no error changes by more than 1%
inline constexpr int kSignificantDigits = 10;  // of the fitted values in the outputs

} // namespace snfit::settings
