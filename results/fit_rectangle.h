#pragma once
// Where the image preview draws a picture: the picture scaled by a whole
// percentage to fit the preview area, centred. Portable and exact (integer
// arithmetic throughout), so the same picture always lands on the same pixels.

namespace filvex {

struct FitRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const FitRect&) const = default;
};

// Fits a picture of picW x picH into an area of areaW x areaH:
//  1. rw, rh := the area's size in percent of the picture's (truncated);
//  2. equal percentages: the picture fills the whole area;
//  3. otherwise the scale is rh for a portrait picture (picW < picH), else
//     rw, and the size is the picture's times the scale / 100, truncated;
//  4. what still sticks out of the area (width first, then height) is taken
//     off both sides alike;
//  5. the result is centred, halves rounded toward minus infinity.
// A picture without area (zero or negative size) gets the empty rectangle.
FitRect FitRectangle(int areaW, int areaH, int picW, int picH);

}  // namespace filvex
