#pragma once
// Orders of the result list: one comparator per column, and the sort that
// reorders a HitList by a column.
//
// Every comparator but the path one puts folders before everything else and
// then compares its column's key, with the name as tie-break for columns 1 to
// 4; the path comparator keeps folders first only among rows of the same
// drive. `ascending` false (CompareAscending 0) reverses the whole order,
// the folder rule included. Texts compare byte by byte as unsigned values up
// to the first zero byte, case-sensitive, a prefix first.

#include <cstdint>
#include <string_view>

#include "results/hit_record.h"

namespace filvex {

// Text order: negative, zero or positive.
int TextOrder(std::string_view a, std::string_view b);

int CompareByName(const HitRecord& a, const HitRecord& b, bool ascending);
int CompareBySize(const HitRecord& a, const HitRecord& b, bool ascending);
int CompareByDate(const HitRecord& a, const HitRecord& b, bool ascending);
int CompareByAttributes(const HitRecord& a, const HitRecord& b, bool ascending);
int CompareByType(const HitRecord& a, const HitRecord& b, bool ascending);
int CompareByPath(const HitRecord& a, const HitRecord& b, bool ascending);
// The comparator of a result column (0-5).
int CompareHits(int column, const HitRecord& a, const HitRecord& b, bool ascending);

// Reorders hits by a column's comparator. Keys are taken once per record
// (text ranks, attribute letters, drive and containing folder) and a
// permutation is sorted with a merge sort, which stays within bounds even for
// the path order, which is not transitive when one drive letter appears in
// both cases. Rows that compare equal keep their relative order.
void SortHitList(HitList& hits, int column, bool ascending);

}  // namespace filvex
