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

}  // namespace

void FillFolderHitRecord(HitRecord& r, const SearchList& list, size_t i, bool lastWrite,
                         int32_t imageIndex) {
  r.Path.assign(list.FolderList.path(i));
  r.Name.assign(list.FolderList.name(i));
  SetDateText(r, list.FolderInfoList, i, lastWrite);
  r.SizeKB = 0;
  r.AttrCode = list.FolderInfoList.attr(i);
  r.ListLine = static_cast<int32_t>(i);
  r.Kind = kKindFolder;
  ResetRowState(r, imageIndex);
}

void FillFileHitRecord(HitRecord& r, const SearchList& list, size_t j, bool lastWrite,
                       int32_t imageIndex) {
  // The path is written once into its own room: folder, separator, name.
  const std::string_view folder = list.FolderList.path(list.FileList.folder(j));
  const std::string_view name = list.FileList.name(j);
  r.Path.clear();
  r.Path.reserve(folder.size() + 1 + name.size());
  r.Path.append(folder);
  if (!EndsWithSeparator(folder)) r.Path.push_back('\\');
  r.Path.append(name);
  r.Name.assign(name);
  SetDateText(r, list.FileInfoList, j, lastWrite);
  r.SizeKB = list.FileInfoList.sizeKB(j);
  r.AttrCode = list.FileInfoList.attr(j);
  r.ListLine = static_cast<int32_t>(j);
  r.Kind = kKindFile;
  ResetRowState(r, imageIndex);
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
