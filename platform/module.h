// Loaded libraries: the module handle the system gives a library (on POSIX
// the base address it was loaded at), and loading a library at run time to
// call its exported functions, as a host does with the plug-in.
#pragma once

#include <string>

namespace dt::platform {

// The handle of the module (executable or shared library) that holds
// `address`; null when `address` is in none.
void* ModuleHandleOf(const void* address) noexcept;

// The directory of the running executable, without a trailing delimiter
// (UTF-8, as the file system spells it); empty when it cannot be found.
std::string ExecutableDirectory();

// One library loaded at run time; unloaded when the object is destroyed.
class LoadedLibrary {
 public:
  // Loads the library at the native (UTF-8) `path`, binding every symbol at
  // once. Raises Exception with the loader's message when it cannot.
  explicit LoadedLibrary(const std::string& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // The address of the exported symbol `name`; null when there is none.
  void* Symbol(const char* name) const noexcept;

  // The exported function `name` as `Fn` (a function pointer type).
  template <typename Fn>
  Fn Entry(const char* name) const noexcept {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  void* handle_;
};

}  // namespace dt::platform
