#pragma once
// One row of the result list, and the ordered list of rows. Row i of the
// virtual list view shows record i; the view stores nothing itself.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "results/record_text.h"
#include "searchlist/search_list.h"

namespace filvex {

constexpr int32_t kKindFolder = 0;
constexpr int32_t kKindFile = 1;
constexpr int32_t kKindDrive = 2;

// A record's date text, "yyyy/mm/dd hh:nn" or empty, held inside the record:
// a search makes one record per hit, and a 16-character std::string would
// cost each of them a heap allocation (16 is past the short-string room).
// Reads like a std::string_view; a longer text is cut to 16 characters.
class FixedDateText {
 public:
  static constexpr size_t kCapacity = kDateTextLen;

  FixedDateText() = default;
  FixedDateText(std::string_view t) { assign(t.data(), t.size()); }     // NOLINT: reads as a text
  FixedDateText(const char* t) : FixedDateText(std::string_view(t)) {}  // NOLINT
  FixedDateText& operator=(std::string_view t) { return assign(t.data(), t.size()); }
  FixedDateText& operator=(const char* t) { return *this = std::string_view(t); }

  FixedDateText& assign(const char* t, size_t n) {
    len_ = static_cast<uint8_t>(std::min(n, kCapacity));
    if (len_) std::memcpy(text_, t, len_);
    return *this;
  }
  std::string_view view() const { return std::string_view(text_, len_); }
  operator std::string_view() const { return view(); }  // NOLINT: reads as a text
  std::string str() const { return std::string(view()); }
  size_t size() const { return len_; }
  bool empty() const { return len_ == 0; }

  friend bool operator==(const FixedDateText& a, const FixedDateText& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const FixedDateText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const FixedDateText& a, const char* b) {
    return a.view() == std::string_view(b);
  }
  friend std::ostream& operator<<(std::ostream& o, const FixedDateText& d) { return o << d.view(); }

 private:
  char text_[kCapacity] = {};
  uint8_t len_ = 0;
};

// The fields are ordered so that a record takes 88 bytes: a search may make
// a hundred thousand of them at once.
struct HitRecord {
  // Provided, though empty, so that a record made in place (a search's
  // emplace_back()) only gets the members' initial values below: with the
  // implicit constructor, value-initialization zero-fills all 88 bytes
  // first, a second write of every record a search keeps (about 5% of a
  // search that keeps tens of thousands of them).
  HitRecord() noexcept {}
  RecordText Path;            // full path; a drive's root such as C:\ ; never empty
  RecordText Name;            // name without path; a drive's display name
  RecordText TypeName;        // shell type name, empty until an icon look-up fills it
  uint32_t SizeKB = 0;        // as the search list stores it; 0 for folders
  int32_t ListLine = -1;      // line in FolderList/FileList; -1 when not from the search list
  int32_t Kind = kKindFile;   // kKindFolder, kKindFile, kKindDrive
  int32_t OverlayIndex = -1;  // -1 none, 0 shared folder, 1 shortcut
  int32_t ImageIndex = 0;     // icon in the system image lists
  FixedDateText DateText;     // "yyyy/mm/dd hh:nn" or empty
  uint8_t AttrCode = 0;       // the kCode* bits of searchlist/search_list.h
  bool IconSet = false;       // the icon (and type name) has been fetched
  bool Unknown = false;       // found missing ("不明")
};

using HitList = std::vector<HitRecord>;

// Empties `hits` and gives back its room, letting go of the records' texts a
// block at a time (the records of one search share their blocks).
void ReleaseHitRecords(HitList& hits);

// Empties `hits` as ReleaseHitRecords does but keeps its room, for the next
// search's records: memory the process has written before costs nothing
// more to write again, where fresh pages cost a page fault each (on a
// virtual machine up to 11 us a page: 11 ms for the 1,000 pages of 46,000
// records).
void ClearHitRecords(HitList& hits);

// Readies `hits` (empty, or holding room a cleared list kept) for a search
// that keeps up to `limit` records: empty, with room for them. Room beyond
// the limit is given back first, so that a lowered limit frees memory.
void PrepareHitRoom(HitList& hits, size_t limit);

// The records a search writes for folder line i and file line j of the search
// list: the date text is the created (lastWrite false) or last-write one; a
// folder's size is 0. Both start with no overlay and the default icon given.
HitRecord FolderHitRecord(const SearchList& list, size_t i, bool lastWrite, int32_t imageIndex);
HitRecord FileHitRecord(const SearchList& list, size_t j, bool lastWrite, int32_t imageIndex);

// The same records written into a record in place (as a search appends
// them, without moving a finished record into the list): every field is set.
// A search passes its text writer, so that its records share text blocks;
// without one, each record's texts take their own.
void FillFolderHitRecord(HitRecord& r, const SearchList& list, size_t i, bool lastWrite,
                         int32_t imageIndex, RecordTextWriter* texts = nullptr);
void FillFileHitRecord(HitRecord& r, const SearchList& list, size_t j, bool lastWrite,
                       int32_t imageIndex, RecordTextWriter* texts = nullptr);

}  // namespace filvex
