// The image preview as a user meets it: pictures written by the test itself
// (PNG and a device-independent bitmap) shown fitted and centred in the
// preview, which hides for folders and text files, follows the arrow keys
// and the mouse, and jumps away from the mouse.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/window_text.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

void PutBE(std::string& s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

// A PNG of one colour, its pixel data in stored (uncompressed) deflate
// blocks: small code, and a file every PNG reader takes.
std::string SolidPng(int w, int h, COLORREF color) {
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw += '\0';  // no filter
    for (int x = 0; x < w; ++x) {
      raw += static_cast<char>(GetRValue(color));
      raw += static_cast<char>(GetGValue(color));
      raw += static_cast<char>(GetBValue(color));
    }
  }
  std::string z = "\x78\x01";
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    z += static_cast<char>(pos + n == raw.size() ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, pos, n);
    pos += n;
    if (pos == raw.size()) break;
  }
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBE(z, (b << 16) | a);
  auto chunk = [](const std::string& type, const std::string& data) {
    std::string c;
    PutBE(c, static_cast<uint32_t>(data.size()));
    c += type + data;
    PutBE(c, Crc32(type + data));
    return c;
  };
  std::string ihdr;
  PutBE(ihdr, w);
  PutBE(ihdr, h);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  return "\x89PNG\r\n\x1A\n" + chunk("IHDR", ihdr) + chunk("IDAT", z) + chunk("IEND", "");
}

// A 24-bit bottom-up bitmap file of one colour.
std::string SolidBmp(int w, int h, COLORREF color) {
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + stride * h;
  std::string s(reinterpret_cast<char*>(&file), sizeof file);
  s.append(reinterpret_cast<char*>(&info), sizeof info);
  std::string row(stride, '\0');
  for (int x = 0; x < w; ++x) {
    row[x * 3] = static_cast<char>(GetBValue(color));
    row[x * 3 + 1] = static_cast<char>(GetGValue(color));
    row[x * 3 + 2] = static_cast<char>(GetRValue(color));
  }
  for (int y = 0; y < h; ++y) s += row;
  return s;
}

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 160, 0),
                   kWhite = RGB(255, 255, 255);

class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes_ = test::RecordMessageBoxes(texts_, IDNO);
    files_ = test::FreshFolder("preview");
    test::WriteFile(files_ + "\\wide.png", SolidPng(400, 200, kRed));
    test::WriteFile(files_ + "\\square.dib", SolidBmp(100, 100, kBlue));
    test::WriteFile(files_ + "\\tall.png", SolidPng(40, 80, kGreen));
    test::WriteFile(files_ + "\\note.txt", "just text");
    CreateDirectoryA((files_ + "\\Pictures.png").c_str(), nullptr);
    w_ = test::OpenSmallListWindow("preview", &program_);
    ASSERT_FALSE(HasFailure());
    w_->ClearHitList();
    for (const char* name : {"wide.png", "square.dib", "tall.png", "note.txt", "Pictures.png"}) {
      HitRecord r;
      r.Path = files_ + "\\" + name;
      r.Name = name;
      w_->HitList.push_back(r);
    }
    ListView_SetItemCountEx(w_->ListView1, static_cast<int>(w_->HitList.size()), 0);
    win::SetChecked(w_->SpeedButton6, true);
  }

  void Select(int row) {
    ListView_SetItemState(w_->ListView1, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(w_->ListView1, row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  }
  void KeyUp(WPARAM key) { SendMessageA(w_->ListView1, WM_KEYUP, key, 0); }
  bool Shown() const { return IsWindowVisible(w_->Panel6) != FALSE; }

  // The colour Image1 paints at (x, y).
  COLORREF Pixel(int x, int y) {
    win::WindowDC screen(nullptr);
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 361, 251));
    win::UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
    win::SelectInDC select(dc.get(), bitmap.get());
    SendMessageA(w_->Image1, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    return GetPixel(dc.get(), x, y);
  }

  POINT PanelPosition() const {
    RECT rc;
    GetWindowRect(w_->Panel6, &rc);
    MapWindowPoints(nullptr, w_->Handle(), reinterpret_cast<POINT*>(&rc), 1);
    return POINT{rc.left, rc.top};
  }

  std::vector<std::string> texts_;
  std::unique_ptr<win::ScopedMessageBoxHook> boxes_;
  std::string files_, program_;
  std::unique_ptr<TVemkoSearcher> w_;
};

TEST_F(PreviewWindowTest, PicturesAreFittedAndCentredFoldersAndTextHide) {
  struct Probe {
    int x, y;
    COLORREF color;
  };
  struct Case {
    int row;
    bool shown;
    std::vector<Probe> probes;
  } cases[] = {
      // 400 x 200 comes as a 359 x 179 thumbnail, drawn as it is at (2, 37).
      {0,
       true,
       {{180, 125, kRed}, {2, 37, kRed}, {360, 215, kRed}, {180, 20, kWhite}, {180, 230, kWhite}}},
      // The bitmap file is stretched into (56, 1) - (305, 250).
      {1, true, {{180, 125, kBlue}, {57, 2, kBlue}, {30, 125, kWhite}, {330, 125, kWhite}}},
      // A small picture is stretched to the fitted height: (119, 1) - (241, 249).
      {2, true, {{180, 125, kGreen}, {60, 125, kWhite}, {300, 125, kWhite}}},
      {3, false, {}},
      {4, false, {}},  // a folder, even one named like a picture
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    Select(c.row);
    KeyUp(VK_DOWN);
    ASSERT_EQ(Shown(), c.shown);
    for (const Probe& p : c.probes) {
      EXPECT_EQ(Pixel(p.x, p.y), p.color) << p.x << "," << p.y;
    }
  }
  EXPECT_TRUE(texts_.empty());
}

TEST_F(PreviewWindowTest, OnlyArrowKeysTheToggleAndPressesOnTheListUpdate) {
  Select(0);
  KeyUp(VK_UP);
  EXPECT_TRUE(Shown());
  Select(3);
  KeyUp(VK_NEXT);  // Page Down: no update
  EXPECT_TRUE(Shown());
  KeyUp(VK_DOWN);
  EXPECT_FALSE(Shown());

  // A press on the first row selects it and shows its picture.
  RECT item{LVIR_BOUNDS};
  SendMessageA(w_->ListView1, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM(item.left + 20, (item.top + item.bottom) / 2);
  PostMessageA(w_->ListView1, WM_LBUTTONUP, 0, at);
  SendMessageA(w_->ListView1, WM_LBUTTONDOWN, MK_LBUTTON, at);
  test::Pump();
  EXPECT_EQ(w_->SelectedRow(), 0);
  EXPECT_TRUE(Shown());

  // Releasing the toggle hides the preview; so does a system without the
  // shell's thumbnails.
  SendMessageA(w_->SpeedButton6, BM_CLICK, 0, 0);
  EXPECT_FALSE(win::IsChecked(w_->SpeedButton6));
  EXPECT_FALSE(Shown());
  win::SetChecked(w_->SpeedButton6, true);
  w_->SystemKind = 0;
  w_->SpeedButton6Click();
  EXPECT_FALSE(Shown());
}

TEST_F(PreviewWindowTest, PanelJumpsToTheOtherSideOfTheListAndBack) {
  Select(0);
  KeyUp(VK_DOWN);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(PanelPosition().x, 40);
  EXPECT_EQ(PanelPosition().y, 110);
  RECT list;
  GetWindowRect(w_->ListView1, &list);
  MapWindowPoints(nullptr, w_->Handle(), reinterpret_cast<POINT*>(&list), 2);
  const int centredTop = list.top + (list.bottom - list.top) / 2 - 271 / 2;
  SendMessageA(w_->Image1, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(PanelPosition().x, 40 + 381 + 32);
  EXPECT_EQ(PanelPosition().y, centredTop);
  SendMessageA(w_->Image1, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(PanelPosition().x, 40);
  EXPECT_EQ(PanelPosition().y, centredTop);
}

}  // namespace
}  // namespace filvex
