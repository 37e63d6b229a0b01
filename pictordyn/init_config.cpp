// Opening a grabber from a configuration file: the file names the maker and
// type of the applet it was made for; the library that reports them is
// looked for in the board's applet folder, opened, and given the file.
#include <quorlex/pictordyn.h>
#include "applet_search.h"
#include "config_file.h"
#include "forward.h"
#include "installation.h"
#include "last_error.h"
#include "trace.h"

using namespace qx::pictordyn;

namespace {

// The value of a key that the configuration must hold, or nothing (traced
// and stored as an invalid configuration file).
std::optional<std::string> requiredKey(const char* path, const char* key, const char* label) {
  std::optional<std::string> value = FindInFile(path, key);
  if (!value) {
    px_log("Error FindInFile: %s not found\n", label);
    setLastError(PX_ERR_INVALID_CONFIG_FILE);
    return std::nullopt;
  }
  px_log("%s found\n", label);
  return value;
}

}  // namespace

extern "C" Px_Struct* Px_InitConfig(const char* Config_Name, int NumberOfqxBoard) {
  return exported("Px_InitConfig", nullptr, [&]() -> Px_Struct* {
    openTrace();
    px_log("Px_InitConfig(%s,%d)\n", Config_Name ? Config_Name : "(null)", NumberOfqxBoard);
    if (Config_Name == nullptr) {
      px_log("Error Config_Name is Null\n");
      return nullptr;
    }
    if (NumberOfqxBoard < 0 || NumberOfqxBoard >= kBoardCount) {
      px_log("Error NumberOfqxBoard must be between 0 and 10\n");
      return nullptr;
    }
    const auto maker = requiredKey(Config_Name, "Hersteller=", "Hersteller");
    if (!maker) return nullptr;
    auto type = requiredKey(Config_Name, "Typ=", "Typ");
    if (!type) return nullptr;
    const auto version = requiredKey(Config_Name, "Version=", "Version");
    if (!version) return nullptr;
    if (version->empty()) {
      px_log("Error strlen(version)==0\n");
      setLastError(PX_ERR_INVALID_CONFIG_FILE);
      return nullptr;
    }

    const std::string dir = get_applet_dir(NumberOfqxBoard);
    px_log("dll_path = %s\n", dir.c_str());
    std::string foundPath;
    // The TESK variant of a type is preferred when the folder has one.
    const std::string teskType = *type + "TESK";
    if (search_dll(dir, foundPath, *maker, teskType) == 1) type = teskType;
    if (search_dll(dir, foundPath, *maker, *type) != 1) {
      px_log("Error search_dll(%s,%s,%s,%s) Failed\n", dir.c_str(), foundPath.c_str(),
             maker->c_str(), type->c_str());
      setLastError(PX_ERR_DLL_NOT_LOADED);
      return nullptr;
    }
    px_log("search_dll(%s,%s,%s,%s) Succeed\n", dir.c_str(), foundPath.c_str(), maker->c_str(),
           type->c_str());

    Px_Struct* handle = Px_Init(foundPath.c_str(), NumberOfqxBoard);
    if (handle == nullptr) {
      px_log("Error Px_Init(%s,%d) Failed\n", foundPath.c_str(), NumberOfqxBoard);
      return nullptr;
    }
    px_log("Px_Init(%s,%d) Succeed\n", foundPath.c_str(), NumberOfqxBoard);
    // An applet without the entry cannot take the configuration: that is
    // recorded as the missing entry, not as a refused handle.
    const bool canLoad = hasEntry(handle, filledByOf(handle), PX_ENTRY_WORD("Px_loadConfig"));
    const int loaded = Px_loadConfig(handle, Config_Name);
    if (loaded < 0) {
      px_log("Error Px_loadConfig(px,%s) Failed\n", Config_Name);
      Px_FreeGrabber(handle);
      setLastError(canLoad ? loaded : PX_ERR_DLL_NOT_LOADED);
      return nullptr;
    }
    px_log("Px_loadConfig(px,%s) Succeed\n", Config_Name);
    return handle;
  });
}
