#include "shellops/file_transfer.h"

#include "searchlist/mbcs.h"
#include "shellops/path_list.h"

namespace filvex {
namespace {

void AppendLittleEndian32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string HdropBlock(std::string_view listText) {
  std::string block;
  const std::string paths = DoubleNulList(listText);
  block.reserve(kDropFilesHeaderSize + paths.size());
  AppendLittleEndian32(block, kDropFilesHeaderSize);  // pFiles: the names follow the header
  AppendLittleEndian32(block, 0);                     // pt.x
  AppendLittleEndian32(block, 0);                     // pt.y
  AppendLittleEndian32(block, 0);                     // fNC
  AppendLittleEndian32(block, 0);                     // fWide: ANSI names
  block += paths;
  return block;
}

std::vector<std::string> CopyDestinations(const std::vector<std::string>& sources,
                                          std::string_view dest) {
  std::vector<std::string> out;
  out.reserve(sources.size());
  for (const std::string& source : sources) out.push_back(JoinPath(dest, LastComponent(source)));
  return out;
}

std::vector<std::string> ItemsOfFirstFolder(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  if (paths.empty()) return out;
  const std::string folder = Lowered(ContainingFolder(paths.front()));
  for (const std::string& p : paths) {
    if (Lowered(ContainingFolder(p)) == folder) out.push_back(p);
  }
  return out;
}

bool OutsideWindow(int left, int top, int width, int height, int x, int y) {
  return x < left || x > left + width || y < top || y > top + height;
}

DragStep DragStepOf(bool escapePressed, uint32_t keyState) {
  constexpr uint32_t kLeft = 1, kRight = 2;
  if (escapePressed || (keyState & (kLeft | kRight)) == (kLeft | kRight)) return DragStep::Cancel;
  if (keyState & (kLeft | kRight)) return DragStep::Continue;
  return DragStep::DropUnlessOwnWindow;
}

}  // namespace filvex
