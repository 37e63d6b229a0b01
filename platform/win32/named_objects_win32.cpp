#include "platform/named_objects.h"

#include <windows.h>

#include <sddl.h>

namespace qx::platform {
namespace {

// Objects that every local user of the boards may open: without a
// descriptor of our own the system gives the creator's default, which
// shuts out the other users. Everyone may read, write and wait; only the
// creator may change the object's rights.
class OpenToEveryone {
 public:
  OpenToEveryone() {
    attributes_.nLength = sizeof attributes_;
    attributes_.bInheritHandle = FALSE;
    attributes_.lpSecurityDescriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:(A;;GRGWGX;;;WD)(A;;GA;;;OW)", SDDL_REVISION_1, &descriptor_, nullptr))
      attributes_.lpSecurityDescriptor = descriptor_;
  }
  ~OpenToEveryone() {
    if (descriptor_ != nullptr) LocalFree(descriptor_);
  }
  OpenToEveryone(const OpenToEveryone&) = delete;
  OpenToEveryone& operator=(const OpenToEveryone&) = delete;

  SECURITY_ATTRIBUTES* get() { return &attributes_; }

 private:
  SECURITY_ATTRIBUTES attributes_{};
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

void noteFailure() {
  setNamedObjectFailure(GetLastError() == ERROR_ACCESS_DENIED ? NamedObjectFailure::AccessDenied
                                                              : NamedObjectFailure::Other);
}

struct Win32Block {
  HANDLE mapping;
  void* view;
};

}  // namespace

SharedBlockHandle openSharedBlock(const char* name, std::size_t size, bool* created) {
  const std::string full = namedObjectName(name);
  // Page-file backed: the system hands the creator zeroed pages, and whether
  // this call created the mapping is decided atomically by the system, so
  // two first openers cannot both believe they were first.
  setNamedObjectFailure(NamedObjectFailure::None);
  OpenToEveryone everyone;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, everyone.get(), PAGE_READWRITE, 0,
                                      static_cast<DWORD>(size), full.c_str());
  bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (mapping == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
    // Another user's block that lets us read and write but not more.
    mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, full.c_str());
    existed = true;
  }
  if (mapping == nullptr) {
    noteFailure();
    return nullptr;
  }
  void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
  if (view == nullptr) {
    noteFailure();
    CloseHandle(mapping);
    return nullptr;
  }
  if (created != nullptr) *created = !existed;
  return new Win32Block{mapping, view};
}

void* sharedBlockView(SharedBlockHandle block) {
  return block != nullptr ? static_cast<Win32Block*>(block)->view : nullptr;
}

void closeSharedBlock(SharedBlockHandle block) {
  auto* b = static_cast<Win32Block*>(block);
  if (b == nullptr) return;
  UnmapViewOfFile(b->view);
  CloseHandle(b->mapping);
  delete b;
}

NamedMutexHandle openNamedMutex(const char* name) {
  const std::string full = namedObjectName(name);
  setNamedObjectFailure(NamedObjectFailure::None);
  OpenToEveryone everyone;
  HANDLE mutex = CreateMutexA(everyone.get(), FALSE, full.c_str());
  if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED)
    mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, full.c_str());
  if (mutex == nullptr) noteFailure();
  return mutex;
}

bool lockNamedMutex(NamedMutexHandle mutex) {
  if (mutex == nullptr) return false;
  // An abandoned mutex (its owner died) is owned by the waiter all the same.
  const DWORD r = WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void unlockNamedMutex(NamedMutexHandle mutex) {
  if (mutex != nullptr) ReleaseMutex(static_cast<HANDLE>(mutex));
}

void closeNamedMutex(NamedMutexHandle mutex) {
  if (mutex != nullptr) CloseHandle(static_cast<HANDLE>(mutex));
}

}  // namespace qx::platform
