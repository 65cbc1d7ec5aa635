#pragma once
// The rules of the manual update check: where the release page and the
// archives live on the maker's site, how the page names a release archive,
// and when a found release is offered. Portable; the HTTP transfer and the
// version box are in about/version_box_win.cpp.

#include <optional>
#include <string>
#include <string_view>

namespace filvex {

// The maker's web site, a folder address ending in "/". Overridden by the
// environment variable FILVEX_UPDATE_BASE (see UpdateBaseAddress).
inline constexpr std::string_view kUpdateSiteBase = "http://www.vemko.jp/";

// The base address in use: `override` (the value of FILVEX_UPDATE_BASE, or
// null when unset) when it is a non-empty address ending in "/", otherwise
// kUpdateSiteBase. A value without the trailing "/" is ignored rather than
// glued to the page name.
std::string UpdateBaseAddress(const char* override);

// base + (folder trimmed + "/", unless folder is the single space that means
// "none") + page. An empty page stands for "UpdateFilePage.html".
std::string UpdatePageAddress(std::string_view base, std::string_view folder,
                              std::string_view page);
// base + downFolder + "/" + archive.
std::string ArchiveAddress(std::string_view base, std::string_view downFolder,
                           std::string_view archive);

// A release archive named on the page: the name (prefix, four digits,
// ".zip" as the page spells it) and its four-digit release number.
struct ReleaseArchive {
  std::string name;
  std::string release;
};

// The first occurrence of prefix + four decimal digits + ".zip" (the
// extension in any case) in the page. Occurrences followed by anything else
// are passed over. Only digits are accepted, so a page can never choose a
// name that leaves the chosen folder ("Filvex_..\x.zip") or holds characters
// a file name must not; the name found is always safe as a file name.
std::optional<ReleaseArchive> FindReleaseArchive(std::string_view page, std::string_view prefix);

// Whether a found release is offered: when `current` sorts below `found`
// byte by byte (both are four digits), or always when `offerAny` is set.
bool OffersRelease(std::string_view current, std::string_view found, bool offerAny);

// Steps of the download's progress bar for a length read in chunks of
// `chunk` bytes: ceil(length / chunk), at least 1; a zero chunk counts as
// 1024 bytes (the largest chunk read).
int DownloadSteps(unsigned long long length, unsigned long chunk);

}  // namespace filvex
