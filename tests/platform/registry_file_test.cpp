#include "platform/registry.h"

#include <gtest/gtest.h>

using qx::platform::findRegistryValue;
using qx::platform::RegistryResult;

namespace {

constexpr const char* kKey = "SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info";

std::string lookup(const std::string& text, RegistryResult expected = RegistryResult::Ok) {
  std::string out = "untouched";
  EXPECT_EQ(findRegistryValue(text, kKey, "dll_path", out), expected);
  return out;
}

TEST(RegistryFile, FindsStringValueUnderItsKeyIgnoringCase) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n"
      "\"dll_path\"=\"/wrong\"\r\n\r\n"
      "[hkey_local_machine\\software\\corvane gmbh\\QuorlexIII\\version3.0\\INFO]\r\n"
      "\"Other\"=\"x\"\r\n"
      "\"DLL_PATH\" = \"/opt/quorlex\"\r\n";
  EXPECT_EQ(lookup(text), "/opt/quorlex");
}

TEST(RegistryFile, UnescapesBackslashesAndQuotes) {
  const std::string text =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info]\n"
      "\"dll_path\"=\"C:\\\\Program Files\\\\\\\"Q\\\"\"\n";
  EXPECT_EQ(lookup(text), "C:\\Program Files\\\"Q\"");
}

TEST(RegistryFile, TellsMissingKeyFromMissingValue) {
  lookup("", RegistryResult::NoKey);
  lookup("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"dll_path\"=\"x\"\n", RegistryResult::NoKey);
  lookup("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info]\n",
         RegistryResult::NoValue);
}

TEST(RegistryFile, RefusesValuesThatAreNotWellFormedStrings) {
  const std::string key =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info]\n";
  EXPECT_EQ(lookup(key + "\"dll_path\"=dword:00000001\n", RegistryResult::NoValue), "untouched");
  EXPECT_EQ(lookup(key + "\"dll_path\"=\"unterminated\n", RegistryResult::NoValue), "untouched");
  EXPECT_EQ(lookup(key + "\"dll_path\n", RegistryResult::NoValue), "untouched");
  EXPECT_EQ(lookup(key + "[unterminated section\n\"dll_path\"=\"x\"\n", RegistryResult::NoValue),
            "untouched");
}

TEST(RegistryFile, EmptyStringIsAValue) {
  EXPECT_EQ(lookup("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info]"
                   "\n\"dll_path\"=\"\""),
            "");
}

}  // namespace
