// The companion messages and the binder files: what is taken from another
// process, what is sent to it, and what the binder files hold after a
// registration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "companions/binder_files.h"
#include "companions/companion_message.h"
#include "companions/companion_names.h"
#include "tests/core/test_util.h"

namespace filvex {
namespace {

using namespace std::string_literals;

TEST(CompanionMessage, DecodeTakesOnlyWellFormedData) {
  const std::string huge = "Vemko" + std::string(kMaxMessageBytes, 'a');
  struct Case {
    const char* what;
    std::string data;
    bool nullData;
    bool taken;
    std::string payload;
  };
  const Case cases[] = {
      {"prefix alone", "Vemko", false, true, ""},
      {"payload", "VemkoA\r\nB", false, true, "A\r\nB"},
      {"counted terminator", "Vemkoab\0"s, false, true, "ab"},
      {"empty", "", false, false, ""},
      {"cut prefix", "Vemk", false, false, ""},
      {"other case", "vemkoab", false, false, ""},
      {"prefix later", "xVemko", false, false, ""},
      {"zero inside", "Vemkoa\0b"s, false, false, ""},
      {"zero inside the prefix", "Vem\0ko"s, false, false, ""},
      {"size without data", "Vemko", true, false, ""},
      {"beyond the limit", huge, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto got = DecodeMessage(c.nullData ? nullptr : c.data.data(), c.data.size());
    ASSERT_EQ(got.has_value(), c.taken);
    if (c.taken) {
      EXPECT_EQ(*got, c.payload);
    }
  }
  // No data at all is no message, and a message at the limit is one.
  EXPECT_FALSE(DecodeMessage(nullptr, 0));
  const std::string atLimit = huge.substr(0, kMaxMessageBytes);
  EXPECT_TRUE(DecodeMessage(atLimit.data(), atLimit.size()));
}

TEST(CompanionMessage, EncodedPayloadDecodesToItself) {
  for (const std::string& payload : {""s, "a"s, "名前@\\@C:\\表\r\n"s}) {
    const std::string data = EncodeMessage(payload);
    ASSERT_EQ(data.substr(0, 5), "Vemko");
    EXPECT_EQ(DecodeMessage(data.data(), data.size()), payload);
  }
}

TEST(CompanionMessage, OnlyTheThreeCompanionsAndTheirCodesAreObeyed) {
  EXPECT_EQ(RequestOf(1), CompanionRequest::StartBuild);
  EXPECT_EQ(RequestOf(2), CompanionRequest::RestoreCaption);
  EXPECT_EQ(RequestOf(4), CompanionRequest::BinderList);
  for (uint64_t code : {0ull, 3ull, 5ull, 0x100000001ull, ~0ull}) {
    EXPECT_EQ(RequestOf(code), CompanionRequest::None) << code;
  }
  for (const char* cls : {"TVemkoTrelquin", "TVemkoBrontal", "TVemkoPexwick"}) {
    EXPECT_TRUE(IsCompanionClass(cls)) << cls;
  }
  for (const char* cls : {"", "TVemko", "tvemkobrontal", "TVemkoBrontal ", "TVemkoSearcher"}) {
    EXPECT_FALSE(IsCompanionClass(cls)) << cls;
  }
}

TEST(CompanionMessage, BinderListSplitsIntoChoicesOrIsRefused) {
  std::string tooMany;
  for (size_t i = 0; i <= kMaxBinderChoices; ++i) tooMany += "x\n";
  struct Case {
    const char* what;
    std::string text;
    bool taken;
    std::vector<std::string> choices;
  };
  const Case cases[] = {
      {"empty", "", true, {}},
      {"CR LF", "Work\r\n写真\r\n", true, {"Work", "写真"}},
      {"mixed ends and blanks", "a\n\nb\rc\r\n\r\n", true, {"a", "b", "c"}},
      {"no end", "a=1", true, {"a=1"}},
      {"too many", tooMany, false, {}},
      {"line too long", std::string(kMaxBinderNameBytes + 1, 'x'), false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto got = ParseBinderChoices(c.text);
    ASSERT_EQ(got.has_value(), c.taken);
    if (c.taken) {
      EXPECT_EQ(*got, c.choices);
    }
  }
}

TEST(CompanionMessage, ChoiceNamesAndUsableNames) {
  EXPECT_EQ(BinderChoiceName("Work=3"), "Work");
  EXPECT_EQ(BinderChoiceName("=3"), "=3");
  EXPECT_EQ(BinderChoiceName("写真"), "写真");
  struct Case {
    std::string name;
    bool usable;
  };
  const Case cases[] = {
      {"Work", true},
      {"表ソ", true},  // trail bytes 0x5C and 0x5C are no "\"
      {"", false},
      {" Work", false},
      {"Work ", false},
      {"a=b", false},
      {"a]b", false},
      {"[a", false},
      {"a@\\@b", false},
      {"a\tb", false},
      {"a\r\nb", false},
      {"\x95", false},    // a lead byte without its trail
      {"\xeb\t", false},  // a lead byte before a tab
      {std::string(kMaxBinderNameBytes + 1, 'a'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsUsableBinderName(c.name), c.usable) << c.name;
}

TEST(CompanionMessage, RegistrationPayloadEndsEveryPath) {
  EXPECT_EQ(RegistrationPayload("Work", {"C:\\a", "C:\\b.txt"}), "Work@\\@C:\\a\r\nC:\\b.txt\r\n");
  EXPECT_EQ(RegistrationPayload("Work", {}), "Work@\\@");
}

TEST(BinderFiles, IniTextKeepsOtherLinesAndAddsKeysWhereTheyBelong) {
  struct Case {
    const char* what;
    std::string before;
    std::string section, key, value;
    bool added;
    std::string after;
  };
  const Case cases[] = {
      {"empty file", "", "Work", "C:\\a", "0", true, "[Work]\r\nC:\\a=0\r\n"},
      {"end of its section before a blank", "[Work]\r\nC:\\x=0\r\n\r\n[Other]\r\nk=v\r\n", "Work",
       "C:\\a", "0", true, "[Work]\r\nC:\\x=0\r\nC:\\a=0\r\n\r\n[Other]\r\nk=v\r\n"},
      {"section of another case", "[work]\n", "Work", "a.txt", "", true, "[work]\r\na.txt=\r\n"},
      {"key of another case there", "[Work]\r\n c:\\A = 0\r\n", "Work", "C:\\a", "0", false,
       "[Work]\r\n c:\\A = 0\r\n"},
      {"comment is no key", "[Work]\r\n;C:\\a=0\r\n", "Work", "C:\\a", "0", true,
       "[Work]\r\n;C:\\a=0\r\nC:\\a=0\r\n"},
      {"key in another section only", "[Other]\r\nC:\\a=0\r\n", "Work", "C:\\a", "0", true,
       "[Other]\r\nC:\\a=0\r\n[Work]\r\nC:\\a=0\r\n"},
      {"first of two equal sections", "[W]\r\n[X]\r\n[W]\r\n", "W", "k", "", true,
       "[W]\r\nk=\r\n[X]\r\n[W]\r\n"},
      {"lines before any section stay", "junk\r\n[W]\r\n", "W", "k", "v", true,
       "junk\r\n[W]\r\nk=v\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IniText ini(c.before);
    EXPECT_EQ(ini.AddKey(c.section, c.key, c.value), c.added);
    EXPECT_EQ(ini.Text(), c.after);
    EXPECT_TRUE(ini.HasKey(c.section, c.key));
    // The written text reads back to the same keys.
    EXPECT_EQ(IniText(ini.Text()).Keys(c.section), ini.Keys(c.section));
  }
  // A CR LF file without changes is written back byte for byte.
  const std::string stored = "; note\r\n[A]\r\nx=1\r\n\r\n[B-表]\r\ny=\r\n";
  EXPECT_EQ(IniText(stored).Text(), stored);
}

TEST(BinderFiles, KeysAndSectionsThatCannotReadBackAreRecognised) {
  for (const char* key : {"C:\\a", "a b.txt", "表.txt", "x;y"}) EXPECT_TRUE(IsIniKey(key)) << key;
  for (const char* key : {"", "a=b.txt", ";a", "[a", " a", "a ", "a\tb", "a\x95"}) {
    EXPECT_FALSE(IsIniKey(key)) << key;
  }
  EXPECT_TRUE(IsIniSection("Work-C:\\"));
  EXPECT_TRUE(IsIniSection("Work-\x83]"));  // a double-byte character ending in 0x5D
  IniText ini("[Work-\x83]]\r\nk=\r\n");
  EXPECT_TRUE(ini.HasKey("Work-\x83]", "k"));
  EXPECT_TRUE(IsIniSection("Work-[old"));
  EXPECT_FALSE(IsIniSection("Work-a]b"));
  EXPECT_FALSE(IsIniSection(""));
}

TEST(BinderFiles, FolderNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\", "C:\\"},
      {"C:", "C:\\"},
      {"d:\\", "d:\\"},
      {"C:\\Data", "Data"},
      {"C:\\Data\\", "Data"},
      {"C:\\a\\表", "表"},
      {"\\\\srv\\share", "share"},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(BinderFolderName(path), name) << path;
}

TEST(BinderFiles, RegistrationWritesTitlesFoldersAndFiles) {
  std::string titles = "Old=2\r\nWork";  // the last line without its end
  IniText folders("[Work]\r\nC:\\Data=0\r\n");
  IniText selections;
  const std::vector<BinderItem> items = {
      {"C:\\boot.ini", true},    {"C:\\Data\\a.txt", true}, {"C:\\Data", false},
      {"C:\\Data\\a.txt", true}, {"D:\\", false},           {"C:\\Data\\x=y.txt", true},
      {"C:\\ソ\\b.txt", true},
  };
  BinderChanges changes = AddToBinder("New", items, titles, folders, selections);
  EXPECT_TRUE(changes.titles);
  EXPECT_TRUE(changes.folders);
  EXPECT_TRUE(changes.selections);
  EXPECT_EQ(changes.refused, std::vector<std::string>{"C:\\Data\\x=y.txt"});
  EXPECT_EQ(titles, "Old=2\r\nWork\r\nNew\r\n");
  EXPECT_EQ(folders.Keys("New"), (std::vector<std::string>{"C:\\", "C:\\Data", "D:\\", "C:\\ソ"}));
  EXPECT_EQ(folders.Keys("Work"), std::vector<std::string>{"C:\\Data"});
  EXPECT_EQ(selections.Text(),
            "[New-C:\\]\r\nboot.ini=\r\n[New-Data]\r\na.txt=\r\n[New-ソ]\r\nb.txt=\r\n");
  EXPECT_EQ(IniText(folders.Text()).Text(), folders.Text());

  // The same again changes nothing; a listed name (by its name part) is not
  // appended again.
  changes = AddToBinder("New", items, titles, folders, selections);
  EXPECT_FALSE(changes.titles || changes.folders || changes.selections);
  std::string listed = "Old=2\r\n";
  EXPECT_FALSE(AddToBinder("Old", {}, listed, folders, selections).titles);
  EXPECT_EQ(TitleChoices("a\r\n\r\nb=1\n"), (std::vector<std::string>{"a", "b=1"}));
}

}  // namespace
}  // namespace filvex
