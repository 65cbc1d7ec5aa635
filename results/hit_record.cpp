#include "results/hit_record.h"

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

void SetDateText(HitRecord& r, const InfoLines& info, size_t i, bool lastWrite) {
  char buf[kDateTextLen];
  size_t n = info.dateText(i, lastWrite, buf);
  r.DateText.assign(buf, n);
}

// The fields a search leaves at their defaults, set again for a reused record.
void ResetRowState(HitRecord& r, int32_t imageIndex) {
  r.TypeName.clear();
  r.OverlayIndex = -1;
  r.ImageIndex = imageIndex;
  r.IconSet = false;
  r.Unknown = false;
}

// The path a + b + c of a record and, as its last nameLen bytes, its name.
void SetTexts(HitRecord& r, std::string_view a, std::string_view b, std::string_view c,
              size_t nameLen, RecordTextWriter* texts) {
  if (texts) {
    texts->write(a, b, c, nameLen, &r.Path, &r.Name);
    return;
  }
  RecordTextWriter own;
  own.write(a, b, c, nameLen, &r.Path, &r.Name);
}

}  // namespace

void FillFolderHitRecord(HitRecord& r, const SearchList& list, size_t i, bool lastWrite,
                         int32_t imageIndex, RecordTextWriter* texts) {
  // A folder's name is the tail of its path.
  SetTexts(r, list.FolderList.path(i), {}, {}, list.FolderList.name(i).size(), texts);
  SetDateText(r, list.FolderInfoList, i, lastWrite);
  r.SizeKB = 0;
  r.AttrCode = list.FolderInfoList.attr(i);
  r.ListLine = static_cast<int32_t>(i);
  r.Kind = kKindFolder;
  ResetRowState(r, imageIndex);
}

void FillFileHitRecord(HitRecord& r, const SearchList& list, size_t j, bool lastWrite,
                       int32_t imageIndex, RecordTextWriter* texts) {
  // The path is written once: folder, separator, name; the name is its tail.
  const std::string_view folder = list.FolderList.path(list.FileList.folder(j));
  const std::string_view name = list.FileList.name(j);
  SetTexts(r, folder, EndsWithSeparator(folder) ? "" : "\\", name, name.size(), texts);
  SetDateText(r, list.FileInfoList, j, lastWrite);
  r.SizeKB = list.FileInfoList.sizeKB(j);
  r.AttrCode = list.FileInfoList.attr(j);
  r.ListLine = static_cast<int32_t>(j);
  r.Kind = kKindFile;
  ResetRowState(r, imageIndex);
}

void ClearHitRecords(HitList& hits) {
  {
    // Type names come from icon look-ups, in blocks of their own: a
    // releaser of their own keeps the runs of paths and names unbroken.
    RecordTextReleaser texts, typeNames;
    for (HitRecord& r : hits) {
      texts.release(r.Path);
      texts.release(r.Name);
      typeNames.release(r.TypeName);
    }
  }
  hits.clear();
}

void ReleaseHitRecords(HitList& hits) {
  ClearHitRecords(hits);
  HitList().swap(hits);
}

void PrepareHitRoom(HitList& hits, size_t limit) {
  if (hits.capacity() > limit) {
    ReleaseHitRecords(hits);
  } else {
    ClearHitRecords(hits);
  }
  hits.reserve(limit);
}

HitRecord FolderHitRecord(const SearchList& list, size_t i, bool lastWrite, int32_t imageIndex) {
  HitRecord r;
  FillFolderHitRecord(r, list, i, lastWrite, imageIndex);
  return r;
}

HitRecord FileHitRecord(const SearchList& list, size_t j, bool lastWrite, int32_t imageIndex) {
  HitRecord r;
  FillFileHitRecord(r, list, j, lastWrite, imageIndex);
  return r;
}

}  // namespace filvex
