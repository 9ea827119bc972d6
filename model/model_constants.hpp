// snmodel's built-in settings: the physical constants and unit conversions of the model and the
// fixed choices of its integration. To change the physics (lifetimes, heating rates, the speed of
// light of the diffusion time), edit this table and rebuild; the explosion itself is described by
// "parameters.inp".
#pragma once

namespace snmodel::settings {

inline constexpr const char* kParameterFile = "parameters.inp";
inline constexpr const char* kOutputFile = "kimenet.out";

// Units of the parameter file.
inline constexpr double kSolarMass = 1.989e33;      // g, for the masses both ways
inline constexpr double kFoe = 1e51;                // erg, for the energies
inline constexpr double kDay = 86400.0;             // s, for the times
inline constexpr double kDaySquared = 7464960000.0; // s^2, for the gamma-ray leakage Ag
inline constexpr double kVelocityUnit = 100000.0;   // cm/s per km/s, for the header

// Physics.
inline constexpr double kNickelLifetime =
    8.8 * kDay;                                      // tni: the double product, 760320.0000000001 s
inline constexpr double kCobaltLifetime = 9616320.0; // tco: 111.3 days
inline constexpr double kChargeNumber = 1.0;         // Z of the recombination energy
inline constexpr double kMassNumber = 1.0;           // A of the recombination energy
inline constexpr double kRadiationConstant = 7.57e-15; // erg cm^-3 K^-4
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kFourPi = 12.566370614359172;
inline constexpr double kDiffusionConstant = 295101171592.5718; // pi^2 times c = 2.99e10 cm/s
inline constexpr double kNickelHeatingRate = 3.89e10;           // erg g^-1 s^-1
inline constexpr double kCobaltWeight = 0.17480719794344474;    // p5: 6.8e9 / 3.89e10
inline constexpr double kRecombinationEnergy = 1.6e13;          // erg/g
inline constexpr double kRecombinationExponent = 1.333333;      // of Z; deliberately not 4/3

// Density profile and front.
inline constexpr double kCoreEdge = 0.4;        // x below which the density is constant
inline constexpr double kFrontTolerance = 1e-6; // bisection tolerance of the front radius
inline constexpr double kPanelWidth = 1e-4;     // Simpson panels of the shape integrals

// Time integration.
inline constexpr double kStep = 20000.0;     // s
inline constexpr double kLongStep = 40000.0; // s, once recombination has died out
inline constexpr double kFaintRecombination =
    1.0; // erg/s: Lion below this counts as no recombination
inline constexpr int kFaintStepsBeforeLongStep = 100; // the long step starts after more than this
inline constexpr int kRowEvery = 5;                   // a row is written every fifth step
// The real stability limit of the classical fourth-order Runge-Kutta scheme: dt |lambda| below it
// keeps a decaying solution decaying. A split step aims at a quarter of it, where the scheme
// follows the quasi-static tail of the light curve closely.
inline constexpr double kStabilityLimit = 2.785293563405282;
inline constexpr double kSplitStiffness = 0.7;
inline constexpr int kMaxSubsteps = 4096; // beyond, the step is left as it is

} // namespace snmodel::settings
