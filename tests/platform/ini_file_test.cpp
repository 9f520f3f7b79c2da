#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/short_forms.h"

namespace lav::ini {
namespace {

TEST(IniFile, ReadsWritesAndLivesOnDisk) {
  const struct {
    const char *name, *file, *section, *key;
    std::optional<std::string> expected;
  } cases[] = {
      {"section case", "[WindowSize]\nk=v\n", "windowsize", "k", "v"},
      {"key case", "[A]\nOPEN=1\n", "A", "open", "1"},
      {"blanks trimmed", "  [ A ]  \n  k  =  v w  \n", "A", "k", "v w"},
      {"quotes stripped", "[A]\nk=\"  v \"\n", "A", "k", "  v "},
      {"empty value", "[A]\nk=\n", "A", "k", ""},
      {"crlf", "[A]\r\nk=v\r\n", "A", "k", "v"},
      {"no final newline", "[A]\nk=v", "A", "k", "v"},
      {"missing key", "[A]\nk=v\n", "A", "x", std::nullopt},
      {"missing section", "[A]\nk=v\n", "B", "k", std::nullopt},
      {"key in other section", "[A]\n[B]\nk=v\n", "A", "k", std::nullopt},
      {"first of two keys", "[A]\nk=1\nk=2\n", "A", "k", "1"},
      {"first of two sections", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1"},
      {"comment", "[A]\n;k=1\nk=2\n", "A", "k", "2"},
      {"line without =", "[A]\ngarbage\nk=2\n", "A", "k", "2"},
      {"key before any section", "k=0\n[A]\nk=1\n", "A", "k", "1"},
      {"unclosed header is no section", "[A\nk=1\n", "A", "k", std::nullopt},
      {"value with =", "[A]\nk=a=b\n", "A", "k", "a=b"},
      // The second byte of a Shift-JIS character may be an ASCII letter; folding its case would
      // make two different characters one name. 0x83 0x41 and 0x83 0x61 are different kana.
      {"two-byte name", "[\x83\x41]\nk=1\n[\x83\x61]\nk=2\n", "\x83\x61", "k", "2"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IniFile::parse(c.file).get(c.section, c.key), c.expected) << c.name;
  // Writing keeps every other line; removing takes every line of the key.
  const struct {
    const char *name, *before, *section, *key, *value, *after;
  } writes[] = {
      {"new file", "", "A", "k", "v", "[A]\nk=v\n"},
      {"replace in place", "; c\n[A]\nk=1\nj=2\n", "A", "k", "9", "; c\n[A]\nk=9\nj=2\n"},
      {"replace keeps crlf others", "[A]\r\nk=1\r\nj=2\r\n", "a", "K", "9",
       "[A]\r\nK=9\r\nj=2\r\n"},
      {"append to section before blank", "[A]\nk=1\n\n[B]\nx=1\n", "A", "j", "2",
       "[A]\nk=1\nj=2\n\n[B]\nx=1\n"},
      {"append to last section", "[A]\nk=1\n", "A", "j", "2", "[A]\nk=1\nj=2\n"},
      {"new section at end", "[A]\nk=1\n", "B", "j", "2", "[A]\nk=1\n[B]\nj=2\n"},
      {"file without final newline", "[A]\nk=1", "A", "j", "2", "[A]\nk=1\nj=2\n"},
      {"line end in value becomes blank", "", "A", "k", "a\nb", "[A]\nk=a b\n"},
      {"empty section", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
  };
  for (const auto& c : writes) {
    IniFile f = IniFile::parse(c.before);
    f.set(c.section, c.key, c.value);
    EXPECT_EQ(f.bytes(), c.after) << c.name;
  }
  // An unchanged file comes back byte for byte.
  const std::string files[] = {"", "[A]\nk=v\n", "[A]\r\nk = v\r\n; comment\r\n\r\n[B]\r\nx=\"q\"",
                               "garbage\n\n\n[x\n=\n"};
  for (const auto& f : files) EXPECT_EQ(IniFile::parse(f).bytes(), f);
  // Removing a key deletes every line of it.
  IniFile f = IniFile::parse("[A]\nk=1\nj=2\nk=3\n");
  EXPECT_TRUE(f.remove("A", "k"));
  EXPECT_EQ(f.bytes(), "[A]\nj=2\n");
  EXPECT_FALSE(f.remove("A", "k"));
  // On disk: a missing file reads as empty, writing creates it, a failed write keeps it; and
  // where it lives.
  const testing::ScratchFolder folder;
  const std::filesystem::path& dir = folder.dir;
  const std::string path = (dir / "sub" / "Lavinor.ini").string();
  EXPECT_EQ(ReadProfileString(path, "A", "k", "sentinel"), "sentinel");
  ASSERT_TRUE(WriteProfileString(path, "A", "k", "v"));
  EXPECT_EQ(ReadProfileString(path, "A", "k", "sentinel"), "v");
  ASSERT_TRUE(WriteProfileString(path, "A", "k", "w"));
  EXPECT_EQ(testing::ReadFile(path), "[A]\nk=w\n");
  // No temporary file is left beside it; only the lock that updates take turns on.
  std::string names;
  for (const auto& e : std::filesystem::directory_iterator(dir / "sub"))
    names += e.path().filename().string() + " ";
  EXPECT_TRUE(names == "Lavinor.ini Lavinor.ini.lock " || names == "Lavinor.ini.lock Lavinor.ini ")
      << names;
  // A failed write leaves the old file: a directory is in the way of the temporary file.
  std::filesystem::create_directory(path + ".tmp" + std::to_string(::getpid()));
  EXPECT_FALSE(WriteProfileString(path, "A", "k", "2"));
  EXPECT_EQ(testing::ReadFile(path), "[A]\nk=w\n");
  // The settings file follows XDG_CONFIG_HOME, else lives in ~/.config.
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/lavinor-xdg", 1);
  EXPECT_EQ(SettingsFilePath(), "/tmp/lavinor-xdg/Lavinor.ini");
  ::setenv("XDG_CONFIG_HOME", "", 1);
  ::setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
  EXPECT_EQ(SettingsFilePath(), std::string(std::getenv("HOME")) + "/.config/Lavinor.ini");
  if (old)
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace lav::ini
