// Saving and loading the six list files as one set: a save killed at any
// step is recovered by the next load, and a load that overlaps a save gets
// the old or the new list, never a mix.
#include "searchlist/list_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "searchlist/list_preload.h"
#include "tests/core/test_util.h"

namespace filvex {
namespace {

// The six file texts of one list.
struct SetTexts {
  std::string files[6];
};

// A list whose six files all differ from those of any other tag; `lines`
// makes it larger.
SetTexts MakeTexts(char tag, int lines) {
  SetTexts t;
  t.files[0] = "C:\r\n";
  t.files[2] = std::string(kRootInfoLine) + "\r\n";
  for (int i = 1; i <= lines; ++i) {
    const std::string n = std::to_string(i);
    t.files[0] += std::string("C:\\") + tag + n + "\r\n";
    t.files[2] += "2003/07/14 09:052003/07/15 10:0020\r\n";
    t.files[1] += n + "=" + tag + "file" + n + ".txt\r\n";
    t.files[3] +=
        "2003/07/14 09:052003/07/15 10:0020" + std::to_string(i % 97 + (tag & 7)) + "\r\n";
  }
  t.files[4] = "C=" + std::to_string(lines + 1) + "\r\n";
  t.files[5] = "C=" + std::to_string(lines) + "\r\n";
  return t;
}

struct LoadedSet {
  SearchList list;
  DriveCounts folders, files;
};

void ParseTexts(const SetTexts& t, LoadedSet& out) {
  ParseFolderLines(t.files[0], out.list.FolderList);
  ParseFileLines(t.files[1], out.list.FileList);
  ParseInfoLines(t.files[2], out.list.FolderInfoList);
  ParseInfoLines(t.files[3], out.list.FileInfoList);
  ParseDriveCounts(t.files[4], out.folders);
  ParseDriveCounts(t.files[5], out.files);
}

// What a loaded list writes back, to compare it with a set.
SetTexts TextsOf(const SearchList& l, const DriveCounts& folders, const DriveCounts& files) {
  return {{FolderLinesText(l.FolderList), FileLinesText(l.FileList),
           InfoLinesText(l.FolderInfoList), InfoLinesText(l.FileInfoList), DriveCountsText(folders),
           DriveCountsText(files)}};
}

bool operator==(const SetTexts& a, const SetTexts& b) {
  for (int k = 0; k < 6; ++k) {
    if (a.files[k] != b.files[k]) return false;
  }
  return true;
}

class ListStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ParseTexts(oldTexts_, old_);
    ParseTexts(newTexts_, new_);
  }
  std::string Fresh() { return test::MakeScratchFolder("liststore"); }
  static std::string At(const std::string& dir, const std::string& name) {
    return DataFilePath(dir, name);
  }
  static void WriteTexts(const std::string& dir, const SetTexts& t, const std::string& suffix) {
    for (int k = 0; k < 6; ++k) test::WriteFile(At(dir, kListSetFiles[k]) + suffix, t.files[k]);
  }
  ListSaveResult Save(const std::string& dir, const LoadedSet& s,
                      const ListStepHook& hook = nullptr) {
    return SaveListStore(dir, s.list, s.folders, s.files, hook);
  }
  // Loads and returns the texts of what was loaded.
  ListLoadResult Load(const std::string& dir, SetTexts& texts, ListLoadOptions options = {}) {
    SearchList l;
    DriveCounts folders, files;
    const ListLoadResult r = LoadListStore(dir, l, folders, files, options);
    texts = TextsOf(l, folders, files);
    return r;
  }
  // Names of leftovers still in the folder.
  static std::string Leftovers(const std::string& dir) {
    std::string found;
    for (const char* name : kListSetFiles) {
      for (const char* suffix : {".tmp", ".old"}) {
        if (FileExists(At(dir, name) + suffix)) found += std::string(name) + suffix + " ";
      }
    }
    if (FileExists(At(dir, ListStoreNames::kMarker) + ".tmp")) found += "sachgen.txt.tmp";
    return found;
  }

  const SetTexts oldTexts_ = MakeTexts('o', 3);
  const SetTexts newTexts_ = MakeTexts('n', 5);
  LoadedSet old_, new_;
};

// The list read early, while the window is made, is the one loaded only when
// the files are still those it read; whatever happened to them in between,
// take() gives the set on disk at that moment.
TEST_F(ListStoreTest, AnEarlyReadIsTakenOnlyWhileTheFilesAreUnchanged) {
  struct Case {
    const char* name;
    bool before;                                      // old list saved before the read
    std::function<void(const std::string&)> between;  // after start()
    ListLoadOutcome outcome;
    const SetTexts* texts;  // what take() must give, when loaded
  } cases[] = {
      {"unchanged", true, nullptr, ListLoadOutcome::Loaded, &oldTexts_},
      {"saved over", true,
       [this](const std::string& dir) {
         EXPECT_EQ(Save(dir, new_).outcome, ListSaveOutcome::Saved);
       },
       ListLoadOutcome::Loaded, &newTexts_},
      {"written without a list before", false,
       [this](const std::string& dir) {
         EXPECT_EQ(Save(dir, new_).outcome, ListSaveOutcome::Saved);
       },
       ListLoadOutcome::Loaded, &newTexts_},
      {"file removed", true,
       [](const std::string& dir) { std::remove(At(dir, ListFileNames::kFileInfo).c_str()); },
       ListLoadOutcome::NoList, nullptr},
      {"nothing there", false, nullptr, ListLoadOutcome::NoList, nullptr},
  };
  for (const Case& c : cases) {
    const std::string dir = Fresh();
    if (c.before) {
      ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved) << c.name;
    }
    ListPreload preload;
    preload.start(dir);
    if (c.between) c.between(dir);
    SearchList l;
    DriveCounts folders, files;
    folders.add('Z', 1);
    const ListLoadResult r = preload.take(dir, l, folders, files);
    EXPECT_EQ(r.outcome, c.outcome) << c.name;
    if (c.texts) {
      EXPECT_TRUE(TextsOf(l, folders, files) == *c.texts) << c.name;
    } else {
      EXPECT_EQ(l.FileList.size(), 0u) << c.name;
    }
    // A second take reads the files again: it sees a save made after the first.
    if (c.outcome == ListLoadOutcome::Loaded) {
      ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved) << c.name;
      EXPECT_EQ(preload.take(dir, l, folders, files).outcome, ListLoadOutcome::Loaded) << c.name;
      EXPECT_TRUE(TextsOf(l, folders, files) == oldTexts_) << c.name;
    }
  }
  // Taken for another folder, or never started: the files are read at take().
  const std::string dir = Fresh(), other = Fresh();
  ASSERT_EQ(Save(dir, new_).outcome, ListSaveOutcome::Saved);
  ASSERT_EQ(Save(other, old_).outcome, ListSaveOutcome::Saved);
  ListPreload preload, never;
  preload.start(dir);
  SearchList l;
  DriveCounts folders, files;
  ASSERT_EQ(preload.take(other, l, folders, files).outcome, ListLoadOutcome::Loaded);
  EXPECT_TRUE(TextsOf(l, folders, files) == oldTexts_);
  ASSERT_EQ(never.take(dir, l, folders, files).outcome, ListLoadOutcome::Loaded);
  EXPECT_TRUE(TextsOf(l, folders, files) == newTexts_);
}

TEST(ListSetMarker, RoundTripAndRejects) {
  ListSetMarker m;
  m.generation = 18446744073709551615ull;
  m.saving = true;
  for (int k = 0; k < 6; ++k) m.sizes[k] = 1000u * static_cast<unsigned>(k);
  const std::string text = ListSetMarkerText(m);
  EXPECT_EQ(text.substr(0, 52), "filvex-list-set 1\r\ngeneration=18446744073709551615\r\n");
  ListSetMarker back;
  ASSERT_TRUE(ParseListSetMarker(text, back));
  EXPECT_EQ(ListSetMarkerText(back), text);
  m.saving = false;
  ASSERT_TRUE(ParseListSetMarker(ListSetMarkerText(m), back));
  EXPECT_FALSE(back.saving);

  const std::string good = ListSetMarkerText(m);
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::string bad[] = {
      "",
      good.substr(0, good.size() - 20),                    // cut short
      good + "extra=1\r\n",                                // a line too many
      replaced("filvex-list-set 1", "filvex-list-set 2"),  // another version
      replaced("state=complete", "state=done"),
      replaced("generation=", "generation=-"),
      replaced("generation=18446744073709551615", "generation="),
      replaced("sach.txt=0", "sach.txt="),
      replaced("sach.txt=0", "sach.txt=0x"),
      replaced("sach.txt=0", "sach.txt=99999999999999999999"),
      replaced("sachfile.txt=", "sachinfo1.txt="),  // lines out of order
  };
  for (const std::string& s : bad) {
    ListSetMarker out;
    out.generation = 7;
    EXPECT_FALSE(ParseListSetMarker(s, out)) << s;
    EXPECT_EQ(out.generation, 7u) << "left untouched";
  }
}

TEST_F(ListStoreTest, SavedSetLoadsBackWithItsMarker) {
  const std::string dir = Fresh();
  for (int round = 1; round <= 2; ++round) {
    ASSERT_EQ(Save(dir, round == 1 ? old_ : new_).outcome, ListSaveOutcome::Saved);
    SetTexts t;
    const ListLoadResult r = Load(dir, t);
    ASSERT_EQ(r.outcome, ListLoadOutcome::Loaded);
    EXPECT_EQ(r.recovery, ListRecovery::None);
    EXPECT_TRUE(t == (round == 1 ? oldTexts_ : newTexts_));
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(test::ReadFile(At(dir, kListSetFiles[k])), t.files[k]) << kListSetFiles[k];
    ListSetMarker m;
    ASSERT_TRUE(ParseListSetMarker(test::ReadFile(At(dir, ListStoreNames::kMarker)), m));
    EXPECT_EQ(m.generation, static_cast<uint64_t>(round));
    EXPECT_FALSE(m.saving);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(m.sizes[k], t.files[k].size());
    EXPECT_EQ(Leftovers(dir), "");
  }
}

// Every step of a save, in order, with what a kill there leaves to the next
// load and what a load running at that moment (in the same process, while the
// save holds its lock) gets.
enum class Gets { Old, New, Busy };
struct SaveStep {
  const char* step;
  Gets afterKill;
  ListRecovery recovery;  // reported by the load after the kill
  Gets during;
};
constexpr ListRecovery kNone = ListRecovery::None, kDone = ListRecovery::Completed,
                       kDropped = ListRecovery::Discarded;
const SaveStep kSaveSteps[] = {
    {"write sach.txt.tmp", Gets::Old, kNone, Gets::Old},
    {"flush sach.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"write sachfile.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"flush sachfile.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"write sachinfo1.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"flush sachinfo1.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"write sachinfo2.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"flush sachinfo2.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"write folderdat.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"flush folderdat.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"write filedat.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"flush filedat.txt.tmp", Gets::Old, kDropped, Gets::Old},
    {"write sachgen.txt.tmp (saving)", Gets::Old, kDropped, Gets::Old},
    {"flush sachgen.txt.tmp (saving)", Gets::Old, kDropped, Gets::Old},
    {"move sachgen.txt (saving)", Gets::Old, kDropped, Gets::Old},
    {"flush folder (saving)", Gets::New, kDone, Gets::Busy},
    {"move sach.txt", Gets::New, kDone, Gets::Busy},
    {"move sachfile.txt", Gets::New, kDone, Gets::Busy},
    {"move sachinfo1.txt", Gets::New, kDone, Gets::Busy},
    {"move sachinfo2.txt", Gets::New, kDone, Gets::Busy},
    {"move folderdat.txt", Gets::New, kDone, Gets::Busy},
    {"move filedat.txt", Gets::New, kDone, Gets::Busy},
    {"flush folder", Gets::New, kDone, Gets::Busy},
    {"write sachgen.txt.tmp (complete)", Gets::New, kDone, Gets::Busy},
    {"flush sachgen.txt.tmp (complete)", Gets::New, kDone, Gets::Busy},
    {"move sachgen.txt (complete)", Gets::New, kDone, Gets::Busy},
    {"flush folder (complete)", Gets::New, kNone, Gets::New},
    {"remove leftovers", Gets::New, kNone, Gets::New},
};

TEST_F(ListStoreTest, TheStepsOfASaveAreTheListedOnes) {
  const std::string dir = Fresh();
  ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
  std::vector<std::string> seen;
  ASSERT_EQ(Save(dir, new_,
                 [&seen](std::string_view step) {
                   seen.emplace_back(step);
                   return true;
                 })
                .outcome,
            ListSaveOutcome::Saved);
  ASSERT_EQ(seen.size(), std::size(kSaveSteps));
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], kSaveSteps[i].step);
}

TEST_F(ListStoreTest, SaveKilledAtAnyStepIsRecoveredByTheNextLoad) {
  // The stored list was saved with its marker, or by an older copy of the
  // program without one.
  for (bool withMarker : {true, false}) {
    for (const SaveStep& c : kSaveSteps) {
      SCOPED_TRACE(std::string(c.step) + (withMarker ? "" : ", old list without marker"));
      const std::string dir = Fresh();
      if (withMarker) {
        ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
      } else {
        WriteTexts(dir, oldTexts_, "");
      }
      const std::string killAt = c.step;
      EXPECT_EQ(Save(dir, new_, [&](std::string_view s) { return s != killAt; }).outcome,
                ListSaveOutcome::Stopped);

      SetTexts t;
      ListLoadResult r = Load(dir, t);
      ASSERT_EQ(r.outcome, ListLoadOutcome::Loaded) << r.reason;
      EXPECT_TRUE(t == (c.afterKill == Gets::New ? newTexts_ : oldTexts_));
      EXPECT_EQ(r.recovery, c.recovery);
      EXPECT_EQ(Leftovers(dir), "");
      // Recovered for good: the next load has nothing to say.
      r = Load(dir, t);
      EXPECT_EQ(r.recovery, ListRecovery::None);
      EXPECT_TRUE(t == (c.afterKill == Gets::New ? newTexts_ : oldTexts_));
      // And the next save works as usual.
      ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
      EXPECT_EQ(Load(dir, t).outcome, ListLoadOutcome::Loaded);
      EXPECT_TRUE(t == oldTexts_);
    }
  }
}

TEST_F(ListStoreTest, ASaveKilledAtAnyStepIsCompletedByTheNextSave) {
  for (const SaveStep& c : kSaveSteps) {
    SCOPED_TRACE(c.step);
    const std::string dir = Fresh();
    ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
    const std::string killAt = c.step;
    Save(dir, new_, [&](std::string_view s) { return s != killAt; });
    ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
    SetTexts t;
    const ListLoadResult r = Load(dir, t);
    EXPECT_EQ(r.recovery, ListRecovery::None);
    EXPECT_TRUE(t == oldTexts_);
    EXPECT_EQ(Leftovers(dir), "");
  }
}

TEST_F(ListStoreTest, ALoadDuringASaveGetsTheOldOrTheNewListOrWaits) {
  for (const SaveStep& c : kSaveSteps) {
    SCOPED_TRACE(c.step);
    const std::string dir = Fresh();
    ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
    ListLoadResult during;
    SetTexts t;
    const std::string at = c.step;
    ListLoadOptions quick;
    quick.maxTries = 3;
    quick.waitMs = 1;
    ASSERT_EQ(Save(dir, new_,
                   [&](std::string_view s) {
                     if (s == at) during = Load(dir, t, quick);
                     return true;
                   })
                  .outcome,
              ListSaveOutcome::Saved);
    switch (c.during) {
      case Gets::Busy:
        EXPECT_EQ(during.outcome, ListLoadOutcome::Busy);
        EXPECT_EQ(t.files[0], "") << "nothing is loaded";
        break;
      case Gets::Old:
      case Gets::New:
        ASSERT_EQ(during.outcome, ListLoadOutcome::Loaded);
        EXPECT_TRUE(t == (c.during == Gets::New ? newTexts_ : oldTexts_));
        EXPECT_EQ(during.recovery, ListRecovery::None) << "a running save is left alone";
        break;
    }
  }
}

TEST_F(ListStoreTest, RecoveryKilledAtAnyStepIsCompletedByTheNextLoad) {
  // A save killed while it moved its files in; then the load that completes
  // it is killed too, at each of its own steps.
  for (int killAt = 0;; ++killAt) {
    SCOPED_TRACE("recovery killed at step " + std::to_string(killAt));
    const std::string dir = Fresh();
    ASSERT_EQ(Save(dir, old_).outcome, ListSaveOutcome::Saved);
    Save(dir, new_, [](std::string_view s) { return s != "move sachinfo1.txt"; });
    int step = 0;
    ListLoadOptions killing;
    killing.hook = [&](std::string_view) { return step++ != killAt; };
    SetTexts t;
    const ListLoadResult killed = Load(dir, t, killing);
    if (step <= killAt) {
      // The recovery has fewer steps: this load was not killed.
      EXPECT_EQ(killed.outcome, ListLoadOutcome::Loaded);
      EXPECT_GE(killAt, 5) << "a recovery moves four files, flushes and marks";
      break;
    }
    EXPECT_NE(killed.outcome, ListLoadOutcome::Loaded);
    const ListLoadResult r = Load(dir, t);
    ASSERT_EQ(r.outcome, ListLoadOutcome::Loaded);
    EXPECT_TRUE(t == newTexts_);
    EXPECT_EQ(Leftovers(dir), "");
  }
}

TEST_F(ListStoreTest, InterruptedSavesOfAnOlderVersionAreCompleted) {
  // An older copy of the program wrote six .tmp files, moved the old files
  // aside as .old, moved the new ones in and then removed the .old files.
  struct Case {
    const char* what;
    int asideUpTo;    // files 0..asideUpTo-1 moved aside as .old
    int movedUpTo;    // files 0..movedUpTo-1 moved in from .tmp
    int removedUpTo;  // .old files 0..removedUpTo-1 already removed
    Gets gets;
    ListRecovery recovery;
  };
  const Case cases[] = {
      {"killed while writing .tmp files", 0, 0, 0, Gets::Old, ListRecovery::Discarded},
      {"killed after moving two files aside", 2, 0, 0, Gets::New, ListRecovery::Completed},
      {"killed after moving all aside", 6, 0, 0, Gets::New, ListRecovery::Completed},
      {"killed after moving three in", 6, 3, 0, Gets::New, ListRecovery::Completed},
      {"killed while removing .old files", 6, 6, 4, Gets::New, ListRecovery::Completed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = Fresh();
    for (int k = 0; k < 6; ++k) {
      const std::string file = At(dir, kListSetFiles[k]);
      if (k >= c.removedUpTo && k < c.asideUpTo) test::WriteFile(file + ".old", oldTexts_.files[k]);
      if (k < c.movedUpTo) {
        test::WriteFile(file, newTexts_.files[k]);
      } else {
        // Killed while writing .tmp files: the last one is cut short.
        const std::string& n = newTexts_.files[k];
        test::WriteFile(file + ".tmp", c.asideUpTo == 0 && k == 5 ? n.substr(0, 3) : n);
        if (k >= c.asideUpTo) test::WriteFile(file, oldTexts_.files[k]);
      }
    }
    SetTexts t;
    const ListLoadResult r = Load(dir, t);
    ASSERT_EQ(r.outcome, ListLoadOutcome::Loaded) << r.reason;
    EXPECT_EQ(r.recovery, c.recovery);
    EXPECT_TRUE(t == (c.gets == Gets::New ? newTexts_ : oldTexts_));
    EXPECT_EQ(Leftovers(dir), "");
  }
}

TEST_F(ListStoreTest, HostileOrForeignMarkersNeverGiveAWrongList) {
  struct Case {
    const char* what;
    int kind;  // 0 text, 1 folder
    std::string marker;
    ListLoadOutcome outcome;
  };
  ListSetMarker stale;  // sizes of another list: rewritten by an older copy
  stale.generation = 4;
  ListSetMarker saving = stale;  // committed, but the new files are not there
  saving.saving = true;
  for (int k = 0; k < 6; ++k) saving.sizes[k] = stale.sizes[k] = 1 + newTexts_.files[k].size();
  const Case cases[] = {
      {"garbage", 0, "\x81\x40\r\r\n=\0=", ListLoadOutcome::Loaded},
      {"a folder", 1, "", ListLoadOutcome::Loaded},
      {"too large", 0, std::string(100000, 'x'), ListLoadOutcome::Loaded},
      {"stale sizes", 0, ListSetMarkerText(stale), ListLoadOutcome::Loaded},
      {"saving, files do not fit", 0, ListSetMarkerText(saving), ListLoadOutcome::Damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = Fresh();
    WriteTexts(dir, oldTexts_, "");
    const std::string marker = At(dir, ListStoreNames::kMarker);
    if (c.kind == 1) {
      test::MakeFolder(marker);
    } else {
      test::WriteFile(marker, c.marker);
    }
    SetTexts t;
    ListLoadResult r = Load(dir, t);
    ASSERT_EQ(r.outcome, c.outcome) << r.reason;
    if (c.outcome == ListLoadOutcome::Loaded) {
      EXPECT_TRUE(t == oldTexts_);
    } else {
      EXPECT_EQ(t.files[0], "");
      EXPECT_NE(r.reason.find("sach.txt is not the file it saved"), std::string::npos) << r.reason;
    }
    // A save replaces any of them (a folder in the marker's place stops it
    // before anything is replaced).
    const ListSaveResult s = Save(dir, new_);
    r = Load(dir, t);
    ASSERT_EQ(r.outcome, ListLoadOutcome::Loaded) << r.reason;
    if (c.kind == 1) {
      EXPECT_EQ(s.outcome, ListSaveOutcome::NotSaved);
      EXPECT_TRUE(t == oldTexts_);
      test::RemoveFolder(marker);
    } else {
      EXPECT_EQ(s.outcome, ListSaveOutcome::Saved) << s.reason;
      EXPECT_TRUE(t == newTexts_);
    }
  }
}

// One thread saves two lists in turn while another loads in a loop, each with
// its own file handles: every load that succeeds is exactly one of the two.
TEST_F(ListStoreTest, ReaderLoopingAgainstAWriterNeverSeesAMix) {
  const SetTexts aTexts = MakeTexts('a', 3000), bTexts = MakeTexts('b', 2000);
  LoadedSet a, b;
  ParseTexts(aTexts, a);
  ParseTexts(bTexts, b);
  const std::string dir = Fresh();
  ASSERT_EQ(Save(dir, a).outcome, ListSaveOutcome::Saved);

  constexpr int kSaves = 40;
  std::atomic<bool> writing{true};
  int saved = 0;
  std::thread writer([&] {
    for (int i = 0; i < kSaves; ++i) {
      saved += Save(dir, i % 2 ? a : b).outcome == ListSaveOutcome::Saved;
    }
    writing = false;
  });
  int tries = 0, loadedA = 0, loadedB = 0, busy = 0, mixes = 0, other = 0;
  while (writing || tries == 0) {
    SetTexts t;
    const ListLoadResult r = Load(dir, t);
    ++tries;
    if (r.outcome == ListLoadOutcome::Busy) {
      ++busy;
    } else if (r.outcome != ListLoadOutcome::Loaded) {
      ++other;
    } else if (t == aTexts) {
      ++loadedA;
    } else if (t == bTexts) {
      ++loadedB;
    } else {
      ++mixes;
    }
  }
  writer.join();
  std::printf("reader against writer: %d saves, %d loads (%d old, %d new), %d busy, %d mixed\n",
              saved, tries, loadedA, loadedB, busy, mixes);
  EXPECT_EQ(saved, kSaves);
  EXPECT_EQ(mixes, 0);
  EXPECT_EQ(other, 0);
  EXPECT_GT(loadedA + loadedB, 0);
}

}  // namespace
}  // namespace filvex
