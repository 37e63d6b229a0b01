// Named objects shared between processes: a block of shared memory and a
// mutex, both found by name. They behave alike on every system:
// - the process that creates a block finds it zero-filled; the block lives
//   as long as one handle to it is open anywhere, also when other users died
//   without closing it;
// - the mutex is owned by one thread at a time, may be taken again by its
//   owner (each lock needs its unlock), and is freed when its owner's process
//   dies, so that a crash never blocks the other processes. Threads and
//   processes that wait for it get it in the order in which they came: one
//   that gives it back and asks again at once waits behind them;
// - every local user may open objects that another user created;
// - a process started by fork() without exec has handles of its own: it
//   and its parent exclude each other through the mutex like any two
//   processes, and each counts as a user of a block.
// If the environment variable QUORLEX_IPC_NAMESPACE is set, its value is put
// in front of every name, which keeps separate runs (test suites, for
// instance) apart on one machine.
#pragma once

#include <cstddef>
#include <string>

namespace qx::platform {

using SharedBlockHandle = void*;
using NamedMutexHandle = void*;

// Opens the named block of `size` bytes, creating it when no process holds
// it. `created` (optional) tells whether this call created it. Null on
// failure.
SharedBlockHandle openSharedBlock(const char* name, std::size_t size, bool* created);
// The block's memory, readable and writable, `size` bytes.
void* sharedBlockView(SharedBlockHandle block);
// Closes the handle; the last close anywhere removes the block.
void closeSharedBlock(SharedBlockHandle block);

// Opens the named mutex, creating it (not owned) when it does not exist.
NamedMutexHandle openNamedMutex(const char* name);
// Waits without time limit until the calling thread owns the mutex.
bool lockNamedMutex(NamedMutexHandle mutex);
void unlockNamedMutex(NamedMutexHandle mutex);
void closeNamedMutex(NamedMutexHandle mutex);

// Why the last open of a named object on the calling thread failed.
enum class NamedObjectFailure {
  None,
  AccessDenied,  // it exists, but belongs to a user who did not let us in
  Other,
};
NamedObjectFailure lastNamedObjectFailure();
void setNamedObjectFailure(NamedObjectFailure failure);

// The name under which the system knows a named object: the namespace
// prefix, if any, followed by the name.
std::string namedObjectName(const char* name);

}  // namespace qx::platform
