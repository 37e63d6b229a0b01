#include "designs.h"

#include "sim_config.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <sstream>

namespace qx::sim {
namespace {

const std::vector<std::string> kUartA = {"AARS232Enable",    "AARS232Reset",       "AARS232Baud",
                                         "AARS232InvSender", "AARS232InvReceiver", "AARS232ParOn",
                                         "AARS232scaleIR"};
const std::vector<std::string> kUartB = {"ABRS232Enable",    "ABRS232Reset",       "ABRS232Baud",
                                         "ABRS232InvSender", "ABRS232InvReceiver", "ABRS232ParOn",
                                         "ABRS232scaleIR"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

bool builtIn(const std::string& name, std::vector<std::string>& registers) {
  if (name == "clser.hap" || name == "single_uart.hap") {
    registers = joined({kUartA, {"AARS232PortSelect"}});
  } else if (name == "dual_uart.hap") {
    registers = joined({kUartA, kUartB, {"ABDMA1Support"}});
  } else if (name == "plain.hap") {
    registers = {"Width", "Height"};
  } else {
    return false;
  }
  return true;
}

// Design handles are small numbers; a register handle carries its design's
// number above the register's position.
constexpr std::uintptr_t kRegisterBits = 8;

struct Designs {
  std::mutex lock;
  std::uintptr_t next = 1;
  std::map<std::uintptr_t, LoadedDesign> loaded;
};

Designs& designs() {
  static Designs d;
  return d;
}

}  // namespace

bool designRegisters(const std::string& name, std::vector<std::string>& registers) {
  const SimConfig config = SimConfig::fromEnvironment();
  const std::string configured = config.text("design." + name, "");
  if (configured == "missing") return false;
  if (configured.empty()) return builtIn(name, registers);
  registers.clear();
  std::istringstream words(configured);
  std::string word;
  while (words >> word) registers.push_back(word);
  return true;
}

void* loadDesign(int board, const std::string& name) {
  std::vector<std::string> registers;
  if (!designRegisters(name, registers)) return nullptr;
  Designs& d = designs();
  std::lock_guard<std::mutex> guard(d.lock);
  const std::uintptr_t id = d.next++;
  d.loaded[id] = LoadedDesign{name, board, registers};
  return reinterpret_cast<void*>(id);
}

const LoadedDesign* findDesign(void* handle) {
  Designs& d = designs();
  std::lock_guard<std::mutex> guard(d.lock);
  auto it = d.loaded.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == d.loaded.end() ? nullptr : &it->second;
}

bool unloadDesign(void* handle) {
  Designs& d = designs();
  std::lock_guard<std::mutex> guard(d.lock);
  return d.loaded.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1;
}

void* registerHandle(void* design, const char* name) {
  const LoadedDesign* loaded = findDesign(design);
  if (loaded == nullptr || name == nullptr) return nullptr;
  for (std::size_t i = 0; i < loaded->registers.size(); ++i) {
    if (loaded->registers[i] == name) {
      const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(design);
      return reinterpret_cast<void*>((id << kRegisterBits) | (i + 1));
    }
  }
  return nullptr;
}

bool resolveRegister(void* handle, const LoadedDesign*& design, std::string& name) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  const std::uintptr_t position = value & ((std::uintptr_t{1} << kRegisterBits) - 1);
  design = findDesign(reinterpret_cast<void*>(value >> kRegisterBits));
  if (design == nullptr || position == 0 || position > design->registers.size()) return false;
  name = design->registers[position - 1];
  return true;
}

}  // namespace qx::sim
