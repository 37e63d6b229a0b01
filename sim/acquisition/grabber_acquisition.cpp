// Acquisition of a port: its frame thread, software triggers, and the waits
// for picture numbers.
#include "acqsim.h"
#include "grabber.h"
#include "picture.h"

#include <chrono>
#include <memory>
#include <new>
#include <system_error>

namespace qx::sim {
namespace {

using Clock = std::chrono::steady_clock;

Clock::duration periodOf(int rate) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / rate;
}

}  // namespace

int Grabber::acquire(int port, int pictureCount, int mode, void* memory) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  if (mode != ACQSIM_MODE_CONTINUOUS && mode != ACQSIM_MODE_SOFTWARE_TRIGGER)
    return fail(ACQSIM_ERR_ARGUMENT);
  std::lock_guard<std::mutex> life(lifecycle_);
  Port& p = ports_[port];
  std::thread finished;
  PortSettings settings;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (p.active) return fail(ACQSIM_ERR_ACQUIRING);
    finished = std::move(p.thread);
    settings = p.settings;
  }
  // The thread of an acquisition that reached its picture count has left
  // its loop; it only has to be joined.
  if (finished.joinable()) finished.join();
  // No frame thread uses the painter now. Its rows are prepared outside the
  // lock (wide colour pictures take milliseconds, which the other port's
  // frame thread must not wait for), and only when the geometry changed.
  auto prepare = [&p](const PortSettings& s) {
    if (p.painter && p.painter->paints(s.width, s.height, s.bytesPerPixel())) return true;
    p.painter.reset();
    try {
      p.painter = std::make_unique<PatternPainter>(s.width, s.height, s.bytesPerPixel());
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  };
  if (!prepare(settings)) return fail(ACQSIM_ERR_NO_MEMORY);

  std::lock_guard<std::mutex> lock(mutex_);
  MemoryRing* ring = findMemory(memory);
  if (ring == nullptr) return fail(ACQSIM_ERR_MEMORY_HANDLE);
  if (ring->users > 0) return fail(ACQSIM_ERR_BUSY);
  const int holds = ring->holds(p.settings.pictureBytes());
  if (holds < 0) return fail(holds);
  // A parameter set since the look above: the rows follow, this once under
  // the lock.
  if (!prepare(p.settings)) return fail(ACQSIM_ERR_NO_MEMORY);
  ring->forgetPictures();
  p.memory = ring;
  p.running = p.settings;
  p.software =
      mode == ACQSIM_MODE_SOFTWARE_TRIGGER || p.settings.triggerMode == ACQSIM_TRIGGER_SOFTWARE;
  p.last = 0;
  p.target = pictureCount > 0 ? pictureCount : 0;
  p.triggers = 0;
  p.stopRequested = false;
  try {
    p.thread = std::thread(&Grabber::run, this, port);
  } catch (const std::system_error&) {
    return fail(ACQSIM_ERR_INTERNAL);
  }
  // Set before the lock is released, so the thread sees it on its first look.
  p.active = true;
  ring->users++;
  return 0;
}

void Grabber::run(int portIndex) {
  Port& p = ports_[portIndex];
  std::unique_lock<std::mutex> lock(mutex_);
  const PatternPainter& painter = *p.painter;
  Clock::time_point due = Clock::now() + periodOf(p.running.rate);
  while (!p.stopRequested) {
    if (p.software) {
      p.wake.wait(lock, [&] { return p.stopRequested || p.triggers > 0; });
      if (p.stopRequested) break;
      --p.triggers;
    } else {
      if (p.wake.wait_until(lock, due, [&] { return p.stopRequested; })) break;
      // The rate may change while the port runs; a thread that fell behind
      // (a slow machine) starts a fresh period instead of catching up.
      const Clock::time_point now = Clock::now();
      due += periodOf(p.settings.rate);
      if (due < now) due = now + periodOf(p.settings.rate);
    }
    const int n = p.last + 1;
    MemoryRing::Slot& slot = p.memory->slotOf(n);
    slot.picture = 0;  // no longer the picture it held
    lock.unlock();
    painter.draw(slot.data, n);
    lock.lock();
    slot.picture = n;
    slot.tag = ACQSIM_TAG(portIndex, n);
    slot.length = p.running.pictureBytes();
    p.last = n;
    if (p.target > 0 && n >= p.target) break;
    pictures_.notify_all();
  }
  // From here on the memory is not touched again: it may change or go.
  p.active = false;
  p.memory->users--;
  pictures_.notify_all();
}

int Grabber::stop(int port) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::lock_guard<std::mutex> life(lifecycle_);
  Port& p = ports_[port];
  std::thread running;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    p.stopRequested = true;
    p.wake.notify_all();
    running = std::move(p.thread);
  }
  if (running.joinable()) running.join();
  return 0;
}

int Grabber::trigger(int port) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::lock_guard<std::mutex> lock(mutex_);
  Port& p = ports_[port];
  if (!p.active || !p.software) return fail(ACQSIM_ERR_NOT_ACQUIRING);
  p.triggers++;
  p.wake.notify_all();
  return 0;
}

int Grabber::lastPicture(int port, void* memory) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::lock_guard<std::mutex> lock(mutex_);
  if (memory != nullptr && findMemory(memory) == nullptr) return fail(ACQSIM_ERR_MEMORY_HANDLE);
  return ports_[port].last;
}

int Grabber::waitPicture(int picture, int port, int timeoutMs, void* memory) {
  if (!validPort(port)) return fail(ACQSIM_ERR_PORT);
  std::unique_lock<std::mutex> lock(mutex_);
  if (memory != nullptr && findMemory(memory) == nullptr) return fail(ACQSIM_ERR_MEMORY_HANDLE);
  Port& p = ports_[port];
  auto ready = [&] { return p.last >= picture || !p.active; };
  if (timeoutMs < 0)
    pictures_.wait(lock, ready);
  else if (timeoutMs > 0)
    pictures_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
  if (p.last >= picture) return p.last;
  return fail(p.active ? ACQSIM_ERR_TIMEOUT : ACQSIM_ERR_NOT_ACQUIRING);
}

int Grabber::getImage(int selector, int picture, int port, int timeoutMs, void* memory) {
  if (selector != ACQSIM_SELECTOR_LAST_PICTURE) return fail(ACQSIM_ERR_SELECTOR);
  if (timeoutMs == 0) return lastPicture(port, memory);
  return waitPicture(picture, port, timeoutMs, memory);
}

}  // namespace qx::sim
