// The failing disk of faulty_disk.h: a VFS that wraps SQLite's default one
// and forwards every call but those a fault stops, and the same faults
// installed under the platform's file calls.
#include "tests/faulty_disk.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <string_view>

#include "platform/file_faults.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace dt::testing {

#ifdef _WIN32
const int kDiskFullError = ERROR_DISK_FULL;
const int kDiskIoError = ERROR_WRITE_FAULT;
const int kAccessDeniedError = ERROR_ACCESS_DENIED;
#else
const int kDiskFullError = ENOSPC;
const int kDiskIoError = EIO;
const int kAccessDeniedError = EACCES;
#endif

namespace {

// The last component of `path`, its ASCII letters made small.
std::string KeyOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string key(slash == std::string_view::npos ? path : path.substr(slash + 1));
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

}  // namespace

struct FaultyDisk::State {
  enum class Fault { kWrite, kSync, kOpen, kRead, kRemove, kList };

  mutable std::mutex mutex;
  std::map<std::string, std::uint64_t> write_budgets;  // bytes left, by key
  std::set<std::pair<Fault, std::string>> failing;
  std::map<std::string, int> opens;

  bool Fails(Fault fault, std::string_view path) const {
    const std::lock_guard<std::mutex> lock(mutex);
    return failing.contains({fault, KeyOf(path)});
  }
  // Takes `bytes` from the budget of `path`; false when they are not there.
  bool TakeWrite(std::string_view path, std::uint64_t bytes) {
    const std::lock_guard<std::mutex> lock(mutex);
    const auto budget = write_budgets.find(KeyOf(path));
    if (budget == write_budgets.end()) return true;
    if (bytes > budget->second) {
      budget->second = 0;
      return false;
    }
    budget->second -= bytes;
    return true;
  }
  void CountOpen(std::string_view path) {
    const std::lock_guard<std::mutex> lock(mutex);
    ++opens[KeyOf(path)];
  }
};

namespace {

using State = FaultyDisk::State;
using Fault = State::Fault;

// The state of the FaultyDisk alive, if any. Files and the VFS outlive a
// FaultyDisk and then forward everything.
std::mutex active_mutex;
std::shared_ptr<State> active;

std::shared_ptr<State> Active() {
  const std::lock_guard<std::mutex> lock(active_mutex);
  return active;
}

// ---- The platform's file calls ----

class PlatformFaults : public platform::FileFaults {
 public:
  int Fault(platform::FileCall call, std::string_view path, std::size_t bytes) override {
    const std::shared_ptr<State> state = Active();
    if (!state) return 0;
    switch (call) {
      case platform::FileCall::kOpen:
      case platform::FileCall::kCreate:
        if (state->Fails(Fault::kOpen, path)) return kAccessDeniedError;
        if (call == platform::FileCall::kOpen) state->CountOpen(path);
        return 0;
      case platform::FileCall::kRead:
        return state->Fails(Fault::kRead, path) ? kDiskIoError : 0;
      case platform::FileCall::kWrite:
        return state->TakeWrite(path, bytes) ? 0 : kDiskFullError;
      case platform::FileCall::kSync:
        return state->Fails(Fault::kSync, path) ? kDiskIoError : 0;
      case platform::FileCall::kRemove:
        return state->Fails(Fault::kRemove, path) ? kAccessDeniedError : 0;
      case platform::FileCall::kList:
        return state->Fails(Fault::kList, path) ? kAccessDeniedError : 0;
    }
    return 0;
  }
};

PlatformFaults platform_faults;

// ---- SQLite's files ----

sqlite3_vfs* real_vfs = nullptr;  // the default VFS this one wraps

struct alignas(8) FaultyFile {  // the wrapped file after it stays aligned
  sqlite3_file base;            // this VFS's methods
  sqlite3_file* real;           // the wrapped VFS's file, in the same block after this
  // The name xOpen was given, which SQLite keeps until xClose; "" for a
  // temporary file.
  const char* name;
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<FaultyFile*>(file)->real; }
std::string_view NameOf(sqlite3_file* file) { return reinterpret_cast<FaultyFile*>(file)->name; }

bool FileFails(sqlite3_file* file, Fault fault) {
  const std::shared_ptr<State> state = Active();
  return state && state->Fails(fault, NameOf(file));
}

int FileClose(sqlite3_file* file) { return Real(file)->pMethods->xClose(Real(file)); }
int FileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (FileFails(file, Fault::kRead)) return SQLITE_IOERR_READ;
  return Real(file)->pMethods->xRead(Real(file), buffer, amount, offset);
}
int FileWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  const std::shared_ptr<State> state = Active();
  if (state && !state->TakeWrite(NameOf(file), static_cast<std::uint64_t>(amount))) {
    return SQLITE_FULL;
  }
  return Real(file)->pMethods->xWrite(Real(file), buffer, amount, offset);
}
int FileTruncate(sqlite3_file* file, sqlite3_int64 size) {
  return Real(file)->pMethods->xTruncate(Real(file), size);
}
int FileSync(sqlite3_file* file, int flags) {
  if (FileFails(file, Fault::kSync)) return SQLITE_IOERR_FSYNC;
  return Real(file)->pMethods->xSync(Real(file), flags);
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return Real(file)->pMethods->xFileSize(Real(file), size);
}
int FileLock(sqlite3_file* file, int lock) { return Real(file)->pMethods->xLock(Real(file), lock); }
int FileUnlock(sqlite3_file* file, int lock) {
  return Real(file)->pMethods->xUnlock(Real(file), lock);
}
int FileCheckReservedLock(sqlite3_file* file, int* out) {
  return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}
int FileControl(sqlite3_file* file, int op, void* arg) {
  return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}
int FileSectorSize(sqlite3_file* file) { return Real(file)->pMethods->xSectorSize(Real(file)); }
int FileDeviceCharacteristics(sqlite3_file* file) {
  return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}
int FileShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out) {
  return Real(file)->pMethods->xShmMap(Real(file), page, size, extend, out);
}
int FileShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return Real(file)->pMethods->xShmLock(Real(file), offset, n, flags);
}
void FileShmBarrier(sqlite3_file* file) { Real(file)->pMethods->xShmBarrier(Real(file)); }
int FileShmUnmap(sqlite3_file* file, int remove) {
  return Real(file)->pMethods->xShmUnmap(Real(file), remove);
}
int FileFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  return Real(file)->pMethods->xFetch(Real(file), offset, amount, out);
}
int FileUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  return Real(file)->pMethods->xUnfetch(Real(file), offset, page);
}

// The methods of a file, in each version: the wrapped file's own, so that
// SQLite calls none of ours that the wrapped file lacks.
const sqlite3_io_methods* MethodsOf(int version) {
  static const std::array<sqlite3_io_methods, 3> kMethods = [] {
    const sqlite3_io_methods all = {
        3,
        FileClose,
        FileRead,
        FileWrite,
        FileTruncate,
        FileSync,
        FileSize,
        FileLock,
        FileUnlock,
        FileCheckReservedLock,
        FileControl,
        FileSectorSize,
        FileDeviceCharacteristics,
        FileShmMap,
        FileShmLock,
        FileShmBarrier,
        FileShmUnmap,
        FileFetch,
        FileUnfetch,
    };
    std::array<sqlite3_io_methods, 3> versions{all, all, all};
    for (int i = 0; i < 3; ++i) versions[static_cast<std::size_t>(i)].iVersion = i + 1;
    return versions;
  }();
  return &kMethods[static_cast<std::size_t>(std::clamp(version, 1, 3) - 1)];
}

int VfsOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  FaultyFile* faulty = reinterpret_cast<FaultyFile*>(file);
  faulty->base.pMethods = nullptr;
  faulty->real = reinterpret_cast<sqlite3_file*>(faulty + 1);
  faulty->name = name != nullptr ? name : "";
  const std::shared_ptr<State> state = Active();
  if (state && name != nullptr && state->Fails(Fault::kOpen, name)) return SQLITE_CANTOPEN;
  const int rc = real_vfs->xOpen(real_vfs, name, faulty->real, flags, out_flags);
  if (faulty->real->pMethods == nullptr) return rc;
  faulty->base.pMethods = MethodsOf(faulty->real->pMethods->iVersion);
  if (rc == SQLITE_OK && state && name != nullptr) state->CountOpen(name);
  return rc;
}
int VfsDelete(sqlite3_vfs*, const char* name, int sync_dir) {
  const std::shared_ptr<State> state = Active();
  if (state && state->Fails(Fault::kRemove, name)) return SQLITE_IOERR_DELETE;
  return real_vfs->xDelete(real_vfs, name, sync_dir);
}
int VfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
  const std::shared_ptr<State> state = Active();
  if (state && flags == SQLITE_ACCESS_EXISTS && state->Fails(Fault::kOpen, name)) {
    *result = 1;
    return SQLITE_OK;
  }
  return real_vfs->xAccess(real_vfs, name, flags, result);
}
int VfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return real_vfs->xFullPathname(real_vfs, name, size, out);
}
void* VfsDlOpen(sqlite3_vfs*, const char* name) { return real_vfs->xDlOpen(real_vfs, name); }
void VfsDlError(sqlite3_vfs*, int size, char* out) { real_vfs->xDlError(real_vfs, size, out); }
void (*VfsDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
  return real_vfs->xDlSym(real_vfs, handle, symbol);
}
void VfsDlClose(sqlite3_vfs*, void* handle) { real_vfs->xDlClose(real_vfs, handle); }
int VfsRandomness(sqlite3_vfs*, int size, char* out) {
  return real_vfs->xRandomness(real_vfs, size, out);
}
int VfsSleep(sqlite3_vfs*, int microseconds) { return real_vfs->xSleep(real_vfs, microseconds); }
int VfsCurrentTime(sqlite3_vfs*, double* now) { return real_vfs->xCurrentTime(real_vfs, now); }
int VfsGetLastError(sqlite3_vfs*, int size, char* out) {
  return real_vfs->xGetLastError(real_vfs, size, out);
}
int VfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
  return real_vfs->xCurrentTimeInt64(real_vfs, now);
}

sqlite3_vfs faulty_vfs{};

// Makes the wrapping VFS SQLite's default.
void RegisterVfs() {
  if (real_vfs == nullptr) {
    real_vfs = sqlite3_vfs_find(nullptr);
    faulty_vfs = *real_vfs;
    faulty_vfs.iVersion = std::min(real_vfs->iVersion, 2);
    faulty_vfs.szOsFile = static_cast<int>(sizeof(FaultyFile)) + real_vfs->szOsFile;
    faulty_vfs.pNext = nullptr;
    faulty_vfs.zName = "dealtext-faulty";
    faulty_vfs.pAppData = nullptr;
    faulty_vfs.xOpen = VfsOpen;
    faulty_vfs.xDelete = VfsDelete;
    faulty_vfs.xAccess = VfsAccess;
    faulty_vfs.xFullPathname = VfsFullPathname;
    faulty_vfs.xDlOpen = VfsDlOpen;
    faulty_vfs.xDlError = VfsDlError;
    faulty_vfs.xDlSym = VfsDlSym;
    faulty_vfs.xDlClose = VfsDlClose;
    faulty_vfs.xRandomness = VfsRandomness;
    faulty_vfs.xSleep = VfsSleep;
    faulty_vfs.xCurrentTime = VfsCurrentTime;
    faulty_vfs.xGetLastError = VfsGetLastError;
    faulty_vfs.xCurrentTimeInt64 = real_vfs->iVersion >= 2 ? VfsCurrentTimeInt64 : nullptr;
  }
  sqlite3_vfs_register(&faulty_vfs, 1);
}

// From the program's start (see the header).
[[maybe_unused]] const bool registered_at_start = (RegisterVfs(), true);

}  // namespace

void KeepFaultyVfsTheDefault() { RegisterVfs(); }

FaultyDisk::FaultyDisk() : state_(std::make_shared<State>()) {
  RegisterVfs();
  {
    const std::lock_guard<std::mutex> lock(active_mutex);
    active = state_;
  }
  platform::SetFileFaults(&platform_faults);
}

FaultyDisk::~FaultyDisk() {
  platform::SetFileFaults(nullptr);
  const std::lock_guard<std::mutex> lock(active_mutex);
  active.reset();
}

void FaultyDisk::FailWritesAfter(const std::string& name, std::uint64_t bytes) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->write_budgets[KeyOf(name)] = bytes;
}

void FaultyDisk::FailSyncs(const std::string& name) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failing.insert({Fault::kSync, KeyOf(name)});
}

void FaultyDisk::FailOpens(const std::string& name) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failing.insert({Fault::kOpen, KeyOf(name)});
}

void FaultyDisk::FailReads(const std::string& name) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failing.insert({Fault::kRead, KeyOf(name)});
}

void FaultyDisk::FailRemovals(const std::string& name) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failing.insert({Fault::kRemove, KeyOf(name)});
}

void FaultyDisk::FailListings(const std::string& name) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failing.insert({Fault::kList, KeyOf(name)});
}

int FaultyDisk::Opens(const std::string& name) const {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  const auto found = state_->opens.find(KeyOf(name));
  return found == state_->opens.end() ? 0 : found->second;
}

}  // namespace dt::testing
