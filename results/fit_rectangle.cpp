#include "results/fit_rectangle.h"

namespace filvex {
namespace {

// Division rounding toward minus infinity (C++ truncates toward zero).
long long FloorDiv(long long a, long long b) {
  const long long q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace

FitRect FitRectangle(int areaW, int areaH, int picW, int picH) {
  if (picW <= 0 || picH <= 0) return {};
  // 64-bit throughout: a percentage of a huge area over a one-pixel picture
  // must not overflow.
  const long long rw = static_cast<long long>(areaW) * 100 / picW;
  const long long rh = static_cast<long long>(areaH) * 100 / picH;
  if (rw - rh == 0) return {0, 0, areaW, areaH};
  const long long scale = picW < picH ? rh : rw;
  // trunc(pic * scale * 0.01): the product is exact in integers.
  long long fitW = static_cast<long long>(picW) * scale / 100;
  long long fitH = static_cast<long long>(picH) * scale / 100;
  long long d = 0;
  if (fitW > areaW)
    d = fitW - areaW;
  else if (fitH > areaH)
    d = fitH - areaH;
  fitW -= d;
  fitH -= d;
  return {static_cast<int>(FloorDiv(areaW - fitW, 2)), static_cast<int>(FloorDiv(areaH - fitH, 2)),
          static_cast<int>(fitW), static_cast<int>(fitH)};
}

}  // namespace filvex
