#include "companions/companion_message.h"

#include <cstring>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

// Separates the binder name from the paths in a registration.
constexpr std::string_view kNameEnd = "@\\@";

// Calls fn(line) for every line that is not blank; false as soon as fn does.
template <class Fn>
bool ForEachTextLine(std::string_view text, Fn&& fn) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start && !fn(text.substr(start, end - start))) return false;
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') {
      ++start;
    }
  }
  return true;
}

}  // namespace

std::string EncodeMessage(std::string_view payload) {
  std::string data(kMessagePrefix);
  data.append(payload);
  return data;
}

std::optional<std::string> DecodeMessage(const void* data, size_t size) {
  if (size > kMaxMessageBytes) return std::nullopt;
  if (size > 0 && data == nullptr) return std::nullopt;
  std::string_view text(static_cast<const char*>(data), size);
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  if (text.substr(0, kMessagePrefix.size()) != kMessagePrefix) return std::nullopt;
  text.remove_prefix(kMessagePrefix.size());
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  return std::string(text);
}

CompanionRequest RequestOf(uint64_t code) {
  switch (code) {
    case kCodeBuildRequest:
      return CompanionRequest::StartBuild;
    case kCodeRestoreCaption:
      return CompanionRequest::RestoreCaption;
    case kCodeBinderList:
      return CompanionRequest::BinderList;
    default:
      return CompanionRequest::None;
  }
}

std::optional<std::vector<std::string>> ParseBinderChoices(std::string_view text) {
  std::vector<std::string> lines;
  const bool ok = ForEachTextLine(text, [&](std::string_view line) {
    if (line.size() > kMaxBinderNameBytes || lines.size() == kMaxBinderChoices) return false;
    lines.emplace_back(line);
    return true;
  });
  if (!ok) return std::nullopt;
  return lines;
}

std::string_view BinderChoiceName(std::string_view line) {
  const size_t eq = line.find('=');
  if (eq == 0 || eq == std::string_view::npos) return line;
  return line.substr(0, eq);
}

bool IsUsableBinderName(std::string_view name) {
  if (name.empty() || name.size() > kMaxBinderNameBytes) return false;
  if (name.front() == ' ' || name.back() == ' ') return false;
  if (name.find(kNameEnd) != std::string_view::npos) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c)) {
      if (i + 1 == name.size() || !IsTrailByte(static_cast<unsigned char>(name[i + 1]))) {
        return false;
      }
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F || c == '=' || c == '[' || c == ']') return false;
  }
  return true;
}

std::string RegistrationPayload(std::string_view binderName,
                                const std::vector<std::string>& paths) {
  std::string payload(binderName);
  payload.append(kNameEnd);
  for (const std::string& p : paths) {
    payload.append(p);
    payload.append("\r\n");
  }
  return payload;
}

}  // namespace filvex
