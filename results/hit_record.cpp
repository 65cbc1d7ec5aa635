#include "results/hit_record.h"

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

std::string DateTextOf(const InfoLines& info, size_t i, bool lastWrite) {
  char buf[kDateTextLen];
  size_t n = info.dateText(i, lastWrite, buf);
  return std::string(buf, n);
}

}  // namespace

HitRecord FolderHitRecord(const SearchList& list, size_t i, bool lastWrite, int32_t imageIndex) {
  HitRecord r;
  r.Path.assign(list.FolderList.path(i));
  r.Name.assign(list.FolderList.name(i));
  r.DateText = DateTextOf(list.FolderInfoList, i, lastWrite);
  r.SizeKB = 0;
  r.AttrCode = list.FolderInfoList.attr(i);
  r.ListLine = static_cast<int32_t>(i);
  r.Kind = kKindFolder;
  r.ImageIndex = imageIndex;
  return r;
}

HitRecord FileHitRecord(const SearchList& list, size_t j, bool lastWrite, int32_t imageIndex) {
  HitRecord r;
  uint32_t folder = list.FileList.folder(j);
  r.Path = JoinPath(list.FolderList.path(folder), list.FileList.name(j));
  r.Name.assign(list.FileList.name(j));
  r.DateText = DateTextOf(list.FileInfoList, j, lastWrite);
  r.SizeKB = list.FileInfoList.sizeKB(j);
  r.AttrCode = list.FileInfoList.attr(j);
  r.ListLine = static_cast<int32_t>(j);
  r.Kind = kKindFile;
  r.ImageIndex = imageIndex;
  return r;
}

}  // namespace filvex
