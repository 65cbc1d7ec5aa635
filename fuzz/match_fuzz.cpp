// Fuzz target for the search: a query and a small search list from the
// input, scanned by the real scan and by the plain line-by-line search of
// tests/core/reference_scan.h, whose results must agree exactly; the hits are
// then sorted by every column and their row texts made.
//
// Input: 8 bytes of options, then up to seven parts cut at 0xFF bytes: the
// query, the drive letters, FolderList, FolderInfoList, FileList,
// FileInfoList, and the two count files as one part (folder counts, 0xFE,
// file counts). Without count texts the counts are computed from the list.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "results/row_text.h"
#include "results/sort.h"
#include "search/scan.h"
#include "fuzz/fuzz_input.h"
#include "searchlist/list_files.h"
#include "tests/core/reference_scan.h"

using namespace filvex;

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "match_fuzz: %s\n", what);
  std::abort();
}

bool SameHit(const HitRecord& a, const HitRecord& b) {
  return a.Path == b.Path && a.Name == b.Name && a.DateText == b.DateText &&
         a.SizeKB == b.SizeKB && a.AttrCode == b.AttrCode && a.ListLine == b.ListLine &&
         a.Kind == b.Kind && a.ImageIndex == b.ImageIndex;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const uint8_t* opt = data;
  const std::string_view in(reinterpret_cast<const char*>(data + 8), size - 8);
  const std::vector<std::string_view> parts = fuzz::CutAtFF(in, 7);

  SearchQuery q;
  SetQueryText(q, parts[0]);
  if (opt[0] & 0x80) q.hasSlash = !q.hasSlash;  // the flag as passed, even when inconsistent
  SetDriveLetters(q, parts[1]);
  q.mode = static_cast<SearchMode>(opt[0] & 3);
  q.folders = opt[0] & 4;
  q.files = opt[0] & 8;
  q.andMode = opt[0] & 16;
  q.head = opt[0] & 32;
  q.attrS = opt[1] & 1, q.attrH = opt[1] & 2, q.attrSH = opt[1] & 4, q.attrR = opt[1] & 8;
  q.dateOn = opt[1] & 16;
  q.dateKind = static_cast<DateKind>((opt[1] >> 5) & 1);
  q.sizeOn = opt[1] & 64;
  q.maxstop = opt[1] & 128;
  q.sizeRelation = static_cast<SizeRelation>(opt[2] % 3);
  q.recy = opt[2] & 4;
  q.sizeLowKB = opt[3] & 15;
  q.sizeHighKB = opt[3] >> 4;
  q.hitLimit = opt[4] & 31;
  // Date bounds over the years that occur in inputs, with any field values,
  // including ones out of range (the matcher then compares texts only).
  q.dateFrom = {1990 + (opt[5] & 63), 1 + (opt[5] >> 6) * 4, 1 + (opt[6] & 31), opt[6] >> 5, 0,
                opt[7] & 63};
  q.dateTo = {1990 + (opt[7] >> 2), 12, 28 + (opt[6] & 3), 23, 59, 59};

  SearchList l;
  ParseFolderLines(parts[2], l.FolderList);
  ParseInfoLines(parts[3], l.FolderInfoList);
  ParseFileLines(parts[4], l.FileList);
  ParseInfoLines(parts[5], l.FileInfoList);
  // parts[6] held per-drive counts once; the scan finds the drive blocks
  // from the lines, so the counts play no part and the part is ignored.

  reference::Result want = reference::Scan(l, q, 1, 2);
  HitList hits;
  ScanResult got = ScanSearchList(l, q, hits, nullptr, HitIcons{1, 2});
  if (got.TotalMatches != want.totalMatches) Fail("match count differs");
  if (got.WithinLimit != want.withinLimit) Fail("limit state differs");
  if (hits.size() != want.hits.size()) Fail("hit count differs");
  for (size_t k = 0; k < hits.size(); ++k)
    if (!SameHit(hits[k], want.hits[k])) Fail("hit differs");

  for (int column = 0; column < kColumnCount; ++column) {
    HitList sorted = hits;
    SortHitList(sorted, column, (opt[4] & 32) != 0);
    if (sorted.size() != hits.size()) Fail("sort lost rows");
  }
  RowOptions rows{(opt[4] & 64) != 0, false};
  for (const HitRecord& h : hits)
    for (int column = 0; column < kColumnCount; ++column) (void)ColumnText(h, column, rows, false);
  (void)HitCountText(hits.size(), got.WithinLimit, got.TotalMatches);
  return 0;
}
