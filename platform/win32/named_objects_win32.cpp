#include "../named_objects.h"

#include <windows.h>

namespace qx::platform {
namespace {

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
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(size), full.c_str());
  if (mapping == nullptr) return nullptr;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
  if (view == nullptr) {
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
  return CreateMutexA(nullptr, FALSE, full.c_str());
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
