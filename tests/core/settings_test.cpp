#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace filvex {
namespace {

TEST(Settings, DefaultsWhenSectionMissingOrEmpty) {
  const Settings defaults;
  for (const char* ini : {"", "[OTHER]\r\nmax=500\r\nrecy=1\r\n", "[DATA]\r\n", "[DATA]\r\n\r\n"}) {
    SCOPED_TRACE(ini);
    EXPECT_EQ(ParseSettingsText(ini), defaults);
  }
  EXPECT_EQ(defaults.max, 1000);
  EXPECT_TRUE(defaults.maxstop);
  EXPECT_TRUE(defaults.sizekb);
  EXPECT_FALSE(defaults.ico || defaults.chk || defaults.upmode || defaults.recy);
}

TEST(Settings, SectionWithOnlyRecyKeepsOtherDefaults) {
  Settings expected;
  expected.recy = true;
  EXPECT_EQ(ParseSettingsText("[DATA]\r\nrecy=1\r\n"), expected);
}

TEST(Settings, IntegerValuesFollowWholeNumberRule) {
  struct Case {
    const char* value;
    int max;          // resulting max
    bool maxstopOn;   // resulting maxstop (default on)
  };
  const Case cases[] = {
      {"50", 100, true},        {"250000", 100000, true}, {"100", 100, true},
      {"100000", 100000, true}, {" 5000 ", 5000, true},   {"+2000", 2000, true},
      {"-5", 100, true},        {"", 1000, true},         {"abc", 1000, true},
      {"12abc", 1000, true},    {"1,000", 1000, true},    {"0x200", 1000, true},
      {"99999999999999999999999", 100000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Settings s;
    ApplySetting(s, "max", c.value);
    EXPECT_EQ(s.max, c.max);
  }
  // Flags: a number that is not 0 is on; anything that is not a number keeps
  // the default, whichever it is.
  struct FlagCase {
    const char* value;
    bool ico;      // default off
    bool maxstop;  // default on
  };
  const FlagCase flags[] = {{"1", true, true},  {"0", false, false}, {"2", true, true},
                            {"-1", true, true}, {"yes", false, true}, {"", false, true}};
  for (const FlagCase& c : flags) {
    SCOPED_TRACE(c.value);
    Settings s;
    ApplySetting(s, "ico", c.value);
    ApplySetting(s, "maxstop", c.value);
    EXPECT_EQ(s.ico, c.ico);
    EXPECT_EQ(s.maxstop, c.maxstop);
  }
}

TEST(Settings, ReaderMirrorsProfileFunctions) {
  const std::string ini =
      "; comment\r\n"
      "[other]\r\nmax=300\r\n"
      "[ data ]\n"            // names ignore case and blanks
      "  MAX = 2500 \n"       // blanks around key and value
      "max=7000\n"            // the first matching key wins
      "toolpath=\"C:\\Tools\\Brontal.exe\"\r"  // quotes dropped, lone CR ends a line
      "simpcppath = C:\\表\\Pexwick.exe\r\n"
      "unknown=1\r\n"
      "[DATA]\r\nrecy=1\r\n";  // a second section of the name is not read
  const Settings s = ParseSettingsText(ini);
  EXPECT_EQ(s.max, 2500);
  EXPECT_EQ(s.toolpath, "C:\\Tools\\Brontal.exe");
  EXPECT_EQ(s.simpcppath, "C:\\表\\Pexwick.exe");
  EXPECT_FALSE(s.recy);
}

TEST(Settings, WrittenTextRoundTripsInKeyOrder) {
  Settings s;
  s.ico = true;
  s.upmode = true;
  s.sizekb = false;
  s.max = 12345;
  s.toolpath = "C:\\Program Files\\Vemko\\Brontal.exe";
  const std::string text = SettingsText(s);
  EXPECT_EQ(text,
            "[DATA]\r\nico=1\r\nchk=0\r\nmaxstop=1\r\nupmode=1\r\nsizekb=0\r\nrecy=0\r\n"
            "max=12345\r\ntoolpath=C:\\Program Files\\Vemko\\Brontal.exe\r\nsimpcppath=\r\n");
  EXPECT_EQ(ParseSettingsText(text), s);
}

}  // namespace
}  // namespace filvex
