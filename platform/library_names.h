// File names of the libraries that the plug-in, its host and the tests load
// or link by name, as each platform spells them.
#pragma once

namespace dt::platform {

#ifdef _WIN32
inline constexpr char kPluginLibrary[] = "dealtext.dll";
inline constexpr char kHostLogLibrary[] = "Halvaren.dll";
inline constexpr char kOleStringsLibrary[] = "oleaut32.dll";
#else
inline constexpr char kPluginLibrary[] = "libdealtext.so";
inline constexpr char kHostLogLibrary[] = "libHalvaren.so";
inline constexpr char kOleStringsLibrary[] = "liboleaut32.so";
#endif

}  // namespace dt::platform
