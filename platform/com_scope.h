// COM on the calling thread for the length of a run: the ADO engine's
// objects live on that thread and need it.
//
// Windows: CoInitializeEx, apartment-threaded, undone with CoUninitialize
// when the scope ends. A thread whose COM the caller (the host) has
// initialised already keeps it as it is: in another threading model the
// call answers RPC_E_CHANGED_MODE and there is nothing to undo; in the same
// one it counts once more and is undone once. When COM cannot be
// initialised at all, nothing is undone and the engine that needs it
// reports the failure. POSIX: nothing.
//
// REQUIRES: ended on the thread that made it, after every COM object made
// in it has been released.
#pragma once

namespace dt::platform {

class ComScope {
 public:
  ComScope();
  ~ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_ = false;  // a CoInitializeEx to undo
};

}  // namespace dt::platform
