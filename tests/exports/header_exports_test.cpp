// What each library exports against what its public header declares: the
// names of the dynamic symbol table (Linux) or of the DLL's export table
// (Windows) are exactly the functions declared with the library's API macro.
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include "elf_symbols.h"
#endif

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The functions a header declares with its API macro; preprocessor lines
// (the macro's own definition) are left out.
std::set<std::string> declared(const char* header) {
#if defined(_WIN32)
  const std::string text = readFile(std::string("Z:") + header);
#else
  const std::string text = readFile(header);
#endif
  std::string code;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.find_first_not_of(" \t") == std::string::npos ||
        line[line.find_first_not_of(" \t")] != '#')
      code += line + '\n';
  static const std::regex declaration(
      R"(\b(?:PX_API|CLSER_API|NIMBRIX_API|OC_API)\b[^;(]*?\b([A-Za-z_][A-Za-z_0-9]*)\s*\()");
  std::set<std::string> names;
  for (std::sregex_iterator it(code.begin(), code.end(), declaration), end; it != end; ++it)
    names.insert((*it)[1]);
  return names;
}

#if defined(_WIN32)
std::set<std::string> exported(const char* library) {
  std::set<std::string> names;
  HMODULE dll = LoadLibraryA((std::string(library) + ".dll").c_str());
  if (dll == nullptr) return names;
  auto* base = reinterpret_cast<const unsigned char*>(dll);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* table = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* nameRvas = reinterpret_cast<const DWORD*>(base + table->AddressOfNames);
  for (DWORD i = 0; i < table->NumberOfNames; ++i)
    names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
  FreeLibrary(dll);
  // The display library's entry point is exported by ordinal 1 for callers
  // that bind it by number; it is no function of the API.
  names.erase("DllMain");
  return names;
}
#else
std::set<std::string> exported(const char* library) {
  return qx::test::definedDynamicSymbols(qx::test::binDir() + "/lib" + library + ".so");
}
#endif

TEST(HeaderExports, EachLibraryExportsExactlyWhatItsHeaderDeclares) {
  const struct {
    const char* library;
    const char* header;
    std::size_t atLeast;
  } libraries[] = {{"pictordyn", QX_HEADER_pictordyn, 59},
                   {"clserqx3", QX_HEADER_clserqx3, 14},
                   {"nimbrix", QX_HEADER_nimbrix, 29},
                   {"oculon", QX_HEADER_oculon, 9}};
  for (const auto& l : libraries) {
    SCOPED_TRACE(l.library);
    const std::set<std::string> inHeader = declared(l.header);
    // The parse found the declarations: a header read as empty would make
    // the comparison below prove nothing.
    EXPECT_GE(inHeader.size(), l.atLeast);
    EXPECT_EQ(exported(l.library), inHeader);
  }
}

}  // namespace
