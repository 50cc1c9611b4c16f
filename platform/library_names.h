// File names of the libraries that the plug-in, its host and the tests load
// or link by name, as each platform spells them.
#pragma once

namespace dt::platform {

// kPluginLibrary is the plug-in the host loads; kStandInPluginLibrary the
// one the tests run the whole build through, which on Windows is a build of
// the same plug-in for tests alone that also takes the stand-in's templates.
#ifdef _WIN32
inline constexpr char kPluginLibrary[] = "dealtext.dll";
inline constexpr char kStandInPluginLibrary[] = "dealtext-standin.dll";
inline constexpr char kHostLogLibrary[] = "Halvaren.dll";
inline constexpr char kOleStringsLibrary[] = "oleaut32.dll";
#else
inline constexpr char kPluginLibrary[] = "libdealtext.so";
inline constexpr char kStandInPluginLibrary[] = "libdealtext.so";
inline constexpr char kHostLogLibrary[] = "libHalvaren.so";
inline constexpr char kOleStringsLibrary[] = "liboleaut32.so";
#endif

}  // namespace dt::platform
