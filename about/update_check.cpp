#include "about/update_check.h"

namespace filvex {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string UpdateBaseAddress(const char* override) {
  if (override) {
    const std::string_view value(override);
    if (!value.empty() && value.back() == '/') return std::string(value);
  }
  return std::string(kUpdateSiteBase);
}

std::string UpdatePageAddress(std::string_view base, std::string_view folder,
                              std::string_view page) {
  std::string address(base);
  if (folder != " ") {
    const std::string_view trimmed = Trim(folder);
    if (!trimmed.empty()) {
      address += trimmed;
      address += '/';
    }
  }
  address += page.empty() ? std::string_view("UpdateFilePage.html") : page;
  return address;
}

std::string ArchiveAddress(std::string_view base, std::string_view downFolder,
                           std::string_view archive) {
  std::string address(base);
  address += downFolder;
  address += '/';
  address += archive;
  return address;
}

std::optional<ReleaseArchive> FindReleaseArchive(std::string_view page, std::string_view prefix) {
  if (prefix.empty()) return std::nullopt;
  const size_t nameLength = prefix.size() + 8;  // four digits and ".zip"
  for (size_t q = page.find(prefix); q != std::string_view::npos; q = page.find(prefix, q + 1)) {
    if (page.size() - q < nameLength) break;
    const std::string_view name = page.substr(q, nameLength);
    const std::string_view digits = name.substr(prefix.size(), 4);
    const std::string_view ext = name.substr(prefix.size() + 4);
    bool ok = IsDigit(digits[0]) && IsDigit(digits[1]) && IsDigit(digits[2]) && IsDigit(digits[3]);
    ok = ok && Lower(ext[0]) == '.' && Lower(ext[1]) == 'z' && Lower(ext[2]) == 'i' &&
         Lower(ext[3]) == 'p';
    if (ok) return ReleaseArchive{std::string(name), std::string(digits)};
  }
  return std::nullopt;
}

bool OffersRelease(std::string_view current, std::string_view found, bool offerAny) {
  return offerAny || current < found;
}

int DownloadSteps(unsigned long long length, unsigned long chunk) {
  if (chunk == 0) chunk = 1024;
  const unsigned long long steps = (length + chunk - 1) / chunk;
  if (steps < 1) return 1;
  if (steps > 0x7FFFFFFF) return 0x7FFFFFFF;
  return static_cast<int>(steps);
}

}  // namespace filvex
