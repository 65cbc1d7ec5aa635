#include "results/record_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/hit_record.h"

namespace filvex {
namespace {

// Texts written by one writer outlive it, each other and any order of
// release; under the address sanitizer a block freed too early or never
// freed is reported.
TEST(RecordText, WrittenTextsOutliveTheWriterAndEachOther) {
  std::vector<RecordText> wholes, tails;
  {
    RecordTextWriter w;
    // Enough texts to fill several blocks, and one longer than a block.
    for (int k = 0; k < 2000; ++k) {
      RecordText whole, tail;
      const std::string name = "name" + std::to_string(k) + ".txt";
      w.write("C:\\Folder", "\\", name, name.size(), &whole, &tail);
      wholes.push_back(whole);
      tails.push_back(std::move(tail));
    }
    RecordText big, bigTail;
    const std::string longName(kRecordTextBlock + 10, 'x');
    w.write("D:", "\\", longName, 3, &big, &bigTail);
    EXPECT_EQ(big.size(), 3 + longName.size());
    EXPECT_EQ(bigTail, "xxx");
    wholes.push_back(big);
  }
  // Drop every other one first, then read the rest.
  for (size_t k = 0; k < tails.size(); k += 2) tails[k] = RecordText();
  for (size_t k = 1; k < tails.size(); k += 2) {
    const std::string name = "name" + std::to_string(k) + ".txt";
    EXPECT_EQ(tails[k], name);
    EXPECT_EQ(std::string(tails[k].c_str()), name) << "a tail ends at its path's NUL";
    EXPECT_EQ(wholes[k], "C:\\Folder\\" + name);
  }
}

TEST(RecordText, BehavesAsAValueText) {
  struct Case {
    const char* what;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"short", "a"},
      {"path", "C:\\Program Files\\写真\\IMG_0001.JPG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordText t(c.text);
    EXPECT_EQ(t, c.text);
    EXPECT_EQ(t.size(), c.text.size());
    EXPECT_EQ(t.empty(), c.text.empty());
    EXPECT_STREQ(t.c_str(), c.text.c_str());
    RecordText copy = t;
    RecordText moved = std::move(t);
    EXPECT_EQ(copy, c.text);
    EXPECT_EQ(moved, c.text);
    EXPECT_TRUE(t.empty());  // NOLINT: a moved-from text is empty
    copy = copy;             // self-assignment keeps the text
    EXPECT_EQ(copy, c.text);
    copy = "other";
    EXPECT_EQ(copy, "other");
    EXPECT_EQ(moved.tail(3), c.text.substr(c.text.size() - std::min<size_t>(3, c.text.size())));
  }
}

// A record made without a writer and one made by a search's writer hold the
// same texts; the name is the tail of the path in both.
TEST(RecordText, RecordsOfAListHaveTheirNamesAsTheirPathsTail) {
  SearchList list;
  list.FolderList.append("C:");
  list.FolderList.append("C:\\Docs");
  list.FolderInfoList.appendRoot();
  list.FolderInfoList.appendText("2020/01/02 03:042021/02/03 04:0520");
  list.FileList.append(1, "Report.TXT");
  list.FileList.append(0, "boot.ini");
  list.FileInfoList.appendText("2020/01/02 03:042021/02/03 04:052012");
  list.FileInfoList.appendText("2020/01/02 03:042021/02/03 04:05201");
  RecordTextWriter writer;
  for (RecordTextWriter* w : {static_cast<RecordTextWriter*>(nullptr), &writer}) {
    HitRecord folder, file, rootFile;
    FillFolderHitRecord(folder, list, 1, /*lastWrite=*/false, 0, w);
    FillFileHitRecord(file, list, 0, /*lastWrite=*/true, 0, w);
    FillFileHitRecord(rootFile, list, 1, /*lastWrite=*/true, 0, w);
    EXPECT_EQ(folder.Path, "C:\\Docs");
    EXPECT_EQ(folder.Name, "Docs");
    EXPECT_EQ(file.Path, "C:\\Docs\\Report.TXT");
    EXPECT_EQ(file.Name, "Report.TXT");
    EXPECT_EQ(rootFile.Path, "C:\\boot.ini");
    EXPECT_EQ(rootFile.Name, "boot.ini");
  }
}

// Releasing records a block at a time gives back exactly their references:
// texts kept elsewhere (copied records, a type name in a block of its own,
// texts of another writer in between) stay readable, and every block is
// freed once (the address sanitizer reports a block freed early or never).
// Clearing does the same and keeps the list's room for the next records.
TEST(RecordText, ReleasedRecordsLeaveSharedTextsIntact) {
  for (bool keepRoom : {false, true}) {
    SCOPED_TRACE(keepRoom ? "ClearHitRecords" : "ReleaseHitRecords");
    HitList hits;
    std::vector<HitRecord> kept;
    {
      RecordTextWriter a, b;
      for (int k = 0; k < 1500; ++k) {
        HitRecord& r = hits.emplace_back();
        const std::string name = "f" + std::to_string(k);
        // Runs of one block broken by texts of another writer and by records
        // with a type name or with no texts at all.
        (k % 7 == 3 ? b : a).write("C:\\D", "\\", name, name.size(), &r.Path, &r.Name);
        if (k % 5 == 0) r.TypeName = "テキスト文書";
        if (k % 11 == 0) r = HitRecord();
        if (k % 3 == 0) kept.push_back(r);
      }
    }
    const size_t room = hits.capacity();
    const HitRecord* at = hits.data();
    if (keepRoom) {
      ClearHitRecords(hits);
      EXPECT_EQ(hits.capacity(), room) << "the room is kept";
      EXPECT_EQ(hits.data(), at);
    } else {
      ReleaseHitRecords(hits);
      EXPECT_EQ(hits.capacity(), 0u) << "the room is given back too";
    }
    EXPECT_TRUE(hits.empty());
    for (const HitRecord& r : kept) {
      if (r.Path.empty()) continue;
      EXPECT_EQ(r.Path, "C:\\D\\" + r.Name.str());
      EXPECT_EQ(r.Name.str().substr(0, 1), "f");
    }
    ReleaseHitRecords(hits);  // an empty list, again
  }
}

// A search's list gets room for its limit: the room a cleared list kept
// when it is not larger (its pages are written already), new room
// otherwise, and never more than the limit, whatever records it held.
TEST(RecordText, PreparedHitRoomFitsTheLimit) {
  struct Case {
    size_t room, records, limit;
    bool sameRoom;  // the kept room is used
  };
  const Case cases[] = {
      {0, 0, 1000, false},       {1000, 0, 1000, true},    {1000, 700, 1000, true},
      {400, 400, 1000, false},   {100000, 5, 1000, false}, {1000, 1000, 0, false},
      {100000, 100000, 100000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.room) + " " + std::to_string(c.records) + " " +
                 std::to_string(c.limit));
    HitList hits;
    hits.reserve(c.room);
    for (size_t k = 0; k < c.records; ++k) hits.emplace_back().Path = "C:\\x";
    const HitRecord* at = hits.data();
    PrepareHitRoom(hits, c.limit);
    EXPECT_TRUE(hits.empty());
    EXPECT_EQ(hits.capacity(), c.limit);
    // (New room may come back at a freed room's address: only a kept room
    // is checked by its address.)
    if (c.sameRoom) {
      EXPECT_EQ(hits.data(), at);
    }
  }
}

// Freed blocks are kept for later searches: a block goes back only when its
// last text is gone, so texts kept from one search read the same after many
// later searches have written and freed theirs.
TEST(RecordText, TextsKeptFromOneSearchSurviveTheBlocksOfLaterOnes) {
  std::vector<RecordText> kept;
  for (int search = 0; search < 6; ++search) {
    HitList hits;
    RecordTextWriter w;
    for (int k = 0; k < 3000; ++k) {
      HitRecord& r = hits.emplace_back();
      const std::string name = std::to_string(search) + "_" + std::to_string(k);
      w.write("E:\\S", "\\", name, name.size(), &r.Path, &r.Name);
      if (k % 1000 == 999) kept.push_back(r.Name);  // one text in every few blocks
    }
    ReleaseHitRecords(hits);
  }
  ASSERT_EQ(kept.size(), 18u);
  for (size_t i = 0; i < kept.size(); ++i)
    EXPECT_EQ(kept[i], std::to_string(i / 3) + "_" + std::to_string(i % 3 * 1000 + 999));
}

}  // namespace
}  // namespace filvex
