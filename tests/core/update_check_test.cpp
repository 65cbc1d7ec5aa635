// The update check's rules: which archive name a page offers, which pages
// offer none, the addresses built from the site's settings, and the
// progress steps of a download.

#include <gtest/gtest.h>

#include "about/update_check.h"

namespace filvex {
namespace {

TEST(UpdatePage, FindsTheFirstSafeArchiveName) {
  struct Case {
    std::string page;
    std::string name;  // empty: none offered
  } cases[] = {
      {"<a href=\"VemkoInstFile/Filvex_1121.zip\">", "Filvex_1121.zip"},
      {"Filvex_1125.txt ... Filvex_1122.zip", "Filvex_1122.zip"},
      {"Filvex_1122.ZIP", "Filvex_1122.ZIP"},
      {"Filvex_1122.zipx", "Filvex_1122.zip"},
      {"Filvex_Filvex_1130.zip", "Filvex_1130.zip"},
      {"Filvex_1122.zi", ""},  // cut short at the end of the page
      {"Filvex_", ""},
      {"no archive here", ""},
      {"Filvex_1122.lzh Filvex_1123.txt", ""},
      // A hostile page must not choose a path or a strange name.
      {"Filvex_..\\x.zip", ""},
      {"Filvex_../x.zip", ""},
      {"Filvex_C:\\a.zip", ""},
      {"Filvex_12 3.zip", ""},
      {"Filvex_\xEF\xBC\x91\x31.zip", ""},  // a full-width digit
      {"Filvex_..\\x.zip Filvex_1124.zip", "Filvex_1124.zip"},
      {"filvex_1122.zip", ""},  // the prefix is matched as it is written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const auto found = FindReleaseArchive(c.page, "Filvex_");
    if (c.name.empty()) {
      EXPECT_FALSE(found.has_value());
    } else {
      ASSERT_TRUE(found.has_value());
      EXPECT_EQ(found->name, c.name);
      EXPECT_EQ(found->release, c.name.substr(7, 4));
    }
  }
}

TEST(UpdatePage, OffersOnlyNewerReleasesUnlessAskedForAny) {
  EXPECT_FALSE(OffersRelease("1121", "1121", false));
  EXPECT_FALSE(OffersRelease("1121", "1120", false));
  EXPECT_TRUE(OffersRelease("1121", "1122", false));
  EXPECT_TRUE(OffersRelease("1121", "2000", false));
  EXPECT_TRUE(OffersRelease("1121", "1120", true));
}

TEST(UpdatePage, AddressesFollowTheSiteSettings) {
  EXPECT_EQ(UpdatePageAddress("http://h/", " ", "FreeSoftware.htm"), "http://h/FreeSoftware.htm");
  EXPECT_EQ(UpdatePageAddress("http://h/", " soft ", "FreeSoftware.htm"),
            "http://h/soft/FreeSoftware.htm");
  EXPECT_EQ(UpdatePageAddress("http://h/", " ", ""), "http://h/UpdateFilePage.html");
  EXPECT_EQ(ArchiveAddress("http://h/", "VemkoInstFile", "Filvex_1122.zip"),
            "http://h/VemkoInstFile/Filvex_1122.zip");
  EXPECT_EQ(UpdateBaseAddress(nullptr), kUpdateSiteBase);
  EXPECT_EQ(UpdateBaseAddress(""), kUpdateSiteBase);
  EXPECT_EQ(UpdateBaseAddress("http://127.0.0.1:8080"), kUpdateSiteBase);
  EXPECT_EQ(UpdateBaseAddress("http://127.0.0.1:8080/"), "http://127.0.0.1:8080/");
}

TEST(UpdatePage, ProgressStepsCoverTheWholeLength) {
  EXPECT_EQ(DownloadSteps(2048, 1024), 2);
  EXPECT_EQ(DownloadSteps(2049, 1024), 3);
  EXPECT_EQ(DownloadSteps(0, 1024), 1);
  EXPECT_EQ(DownloadSteps(100, 0), 1);  // no data announced yet: a chunk of 1024
  EXPECT_EQ(DownloadSteps(5000, 0), 5);
}

}  // namespace
}  // namespace filvex
