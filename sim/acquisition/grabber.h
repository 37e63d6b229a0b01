// The state of one handle of the simulated acquisition applet: two ports,
// each with its settings and, while it acquires, a frame thread of its own;
// the image memories; and the stored values of the board-level entries.
//
// Locking: `mutex_` guards every field; the frame threads hold it except
// while they draw a picture. `lifecycle_` serialises the starting, stopping
// and joining of frame threads, so that no memory is freed while a thread
// still draws into it.
#pragma once

#include "applet_entries.h"
#include "memory_ring.h"
#include "picture.h"
#include "settings.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace qx::sim {

class SimConfig;

struct Identity {
  std::string maker;
  std::string type;
  std::string version;
  static Identity fromConfig(const SimConfig& config);
};

class Grabber {
 public:
  static constexpr int kPorts = 2;

  Grabber(int boardIndex, const SimConfig& config, const std::string& appletName);
  ~Grabber();  // stops every acquisition
  Grabber(const Grabber&) = delete;
  Grabber& operator=(const Grabber&) = delete;

  // Errors: each failing call stores its number, which stays until the
  // next failure.
  int fail(int error);
  int lastError() const { return lastError_.load(); }

  // Memory (grabber_memory.cpp).
  void* allocMemEx(int size, int count);
  void* allocMemHead(int size, int count);
  int addMem(void* head, int index, int size, void* buffer);
  int delMem(void* head, int index);
  void* addDummyBuffer(void* memory, int size, void* buffer);
  int freeMem(void* memory);
  void* imagePtr(int picture, int port, void* memory);
  // The memory that the applet keeps per port for its own Px_AllocMem.
  void* allocDefault(int size, int count, int port);
  void* defaultMemory(int port);

  // Acquisition (grabber_acquisition.cpp).
  int acquire(int port, int pictureCount, int mode, void* memory);
  int stop(int port);
  int trigger(int port);
  int lastPicture(int port, void* memory);
  int waitPicture(int picture, int port, int timeoutMs, void* memory);
  int getImage(int selector, int picture, int port, int timeoutMs, void* memory);

  // Parameters and configuration files (grabber_parameters.cpp).
  int setParameter(int parameter, const int* value, int port);
  int getParameter(int parameter, int* value, int port);
  int parameterInfo(int parameter, char* text, int capacity);
  int saveConfig(const char* fileName);
  int loadConfig(const char* fileName);

  // Board-level entries with stored values (grabber_board.cpp).
  const char* appletName(int number);
  int appletId(const char* name);
  int loadAppletId();
  int appletCount();
  int addApplet(const char* name);
  int configure(int appletId);
  int store(int port, int parameter, int value);
  int getStatus(int word, int port, int* value);
  int setStatus(int word, int value, int port);
  int setActBuffer(int port, int buffer);
  int getActBuffer(int port);
  int swapBuffer(int port);
  int doDialog(const PxDialogBlock& block);
  int closeDialog();
  int isOpenDialog();
  int serialNumber() const { return serialNumber_; }
  int serialSend(int port, const char* data, int length);
  int serialReceive(int port, char* buffer, int capacity);
  void* allocShading(int port);
  int freeShading(void* shading);
  int shadingValue(void* shading, int kind, int column, int value);
  int shadingAccess(void* shading, bool take);
  int shadingWriteLine(void* shading, int line);
  int shadingMaxLine(void* shading);
  void* boardPointer() { return board_.data(); }

 private:
  struct Port {
    PortSettings settings;
    PortSettings running;  // the settings the current acquisition started with
    std::thread thread;
    std::condition_variable wake;  // stop requests and triggers
    MemoryRing* memory = nullptr;  // of the current or last acquisition
    // The pattern rows for the geometry of the current or last acquisition;
    // replaced only by acquire, while no frame thread runs.
    std::unique_ptr<PatternPainter> painter;
    bool active = false;
    bool stopRequested = false;
    bool software = false;
    int last = 0;
    int target = 0;  // 0: endless
    int triggers = 0;
    int actBuffer = 0;
    std::string serial;
    void* defaultMemory = nullptr;
  };
  struct Shading {
    int port;
    bool access = false;
    int actLine = 0;
    std::map<std::pair<int, int>, int> values;  // (kind, column) -> value
  };

  bool validPort(int port) const { return port >= 0 && port < kPorts; }
  // The live memory of a handle, or null.
  MemoryRing* findMemory(void* memory);
  // `memory` if given, else the port's; null (with the error stored) when
  // neither names a live memory.
  MemoryRing* memoryFor(int port, void* memory);
  void run(int port);
  int byPicture(const Port& port, int parameter, int* value);

  const int boardIndex_;
  const Identity identity_;
  const int serialNumber_;
  std::atomic<int> lastError_{0};

  std::mutex lifecycle_;
  std::mutex mutex_;
  std::condition_variable pictures_;  // a picture came, or an acquisition ended
  std::array<Port, kPorts> ports_;
  std::map<void*, std::unique_ptr<MemoryRing>> memories_;
  std::map<void*, std::unique_ptr<Shading>> shadings_;
  std::deque<std::string> applets_;  // deque: names stay where they are
  int loadedApplet_ = 0;
  std::map<std::pair<int, int>, int> status_;  // (word, port) -> value
  PxDialogBlock dialog_{};
  bool dialogOpen_ = false;
  std::array<unsigned char, 4096> board_{};
};

}  // namespace qx::sim
