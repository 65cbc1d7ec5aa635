// Fuzz target for the readers of the data folder's files: the four list files,
// the per-drive counts and the settings file. The input is cut into six
// parts at 0xFF bytes. Checks: nothing reads out of range (sanitizers), every
// accessor answers for every line, written text reads back to itself, and the
// hit limit stays within its bounds. The check of the four lists against each
// other accepts exactly the sets whose lists and information lists agree in
// length, names the file when it refuses one, and gives the same verdict for
// the written text read back.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "fuzz/fuzz_input.h"
#include "searchlist/list_files.h"
#include "searchlist/search_list.h"

using namespace filvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> parts = fuzz::CutAtFF(in, 6);

  SearchList l;
  ParseFolderLines(parts[0], l.FolderList);
  ParseFileLines(parts[1], l.FileList);
  ParseInfoLines(parts[2], l.FolderInfoList);
  ParseInfoLines(parts[3], l.FileInfoList);
  DriveCounts counts;
  ParseDriveCounts(parts[4], counts);

  char date[kDateTextLen];
  size_t n = l.FileList.size() + 2;
  for (size_t i = 0; i < n; ++i) {
    (void)l.FolderList.path(i);
    (void)l.FolderList.lowerName(i);
    (void)l.FolderList.driveLetter(i);
    (void)l.FileList.name(i);
    (void)FileEntryPath(l, i);
    for (const InfoLines* info : {&l.FolderInfoList, &l.FileInfoList}) {
      (void)info->attr(i);
      (void)info->sizeKB(i);
      if (info->dateText(i, /*lastWrite=*/true, date) > kDateTextLen) std::abort();
      PackedDate d;
      (void)info->packedDate(i, /*lastWrite=*/false, &d);
    }
  }
  DriveCounts fc, ic;
  CountEntriesPerDrive(l, fc, ic);

  const ListFilesResult check = CheckListConsistency(l);
  const bool agree =
      l.FolderList.size() == l.FolderInfoList.size() && l.FileList.size() == l.FileInfoList.size();
  if (check.loaded() != agree) std::abort();
  if (!agree &&
      (check.status != ListLoadStatus::Damaged || check.damage != ListDamage::LineCountsDiffer ||
       check.file.empty() || check.lines == check.otherLines || check.text().find(check.file) != 0))
    std::abort();

  // Written text is stable: reading it back and writing again gives the same.
  std::string files = FileLinesText(l.FileList), info = InfoLinesText(l.FileInfoList),
               folders = FolderLinesText(l.FolderList);
  SearchList again;
  ParseFolderLines(folders, again.FolderList);
  ParseFileLines(files, again.FileList);
  ParseInfoLines(info, again.FileInfoList);
  ParseInfoLines(InfoLinesText(l.FolderInfoList), again.FolderInfoList);
  if (CheckListConsistency(again).loaded() != agree) std::abort();
  if (FileLinesText(again.FileList) != files || InfoLinesText(again.FileInfoList) != info ||
      FolderLinesText(again.FolderList) != folders)
    std::abort();

  Settings s = ParseSettingsText(parts[5]);
  if (s.max < kMinHitLimit || s.max > kMaxHitLimit) std::abort();
  return 0;
}
