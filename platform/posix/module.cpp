// Module handles and run-time loading on POSIX, over the dynamic loader.
#include "platform/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "platform/errors.h"

namespace dt::platform {

void* ModuleHandleOf(const void* address) noexcept {
  Dl_info info{};
  if (dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      std::string path(buffer.data(), static_cast<std::size_t>(length));
      const std::size_t slash = path.rfind('/');
      if (slash == std::string::npos) return {};
      return slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

LoadedLibrary::LoadedLibrary(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    throw Exception(reason != nullptr ? reason : "Cannot load library \"" + path + "\"");
  }
}

LoadedLibrary::~LoadedLibrary() { dlclose(handle_); }

void* LoadedLibrary::Symbol(const char* name) const noexcept { return dlsym(handle_, name); }

}  // namespace dt::platform
