#pragma once
// The messages exchanged with the companion programs.
//
// Every message is a WM_COPYDATA whose wParam is the sender's main window,
// whose dwData is one of the codes below and whose data is the five bytes
// "Vemko" followed by the payload text (ANSI), counted without a terminating
// zero. Codes and payloads:
//   0  to the launcher          ""   a build it ordered has finished
//   1  to the launcher          ""   open the schedule of list updates
//   1  from a companion         any  start a build (code 0 follows)
//   2  from a companion         any  put the window caption back
//   4  to Brontal or Pexwick    ""   ask for the list of binders
//   4  from a companion         the binder list, one choice per line
//   5  to Brontal or Pexwick    binder name, "@\@", then every chosen path
//                                    followed by CR LF: register them
//
// A received message is untrusted data of another process: it is taken only
// when it has the prefix, fits kMaxMessageBytes and (for the binder list)
// splits into a sane list; anything else is ignored as a whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

inline constexpr std::string_view kMessagePrefix = "Vemko";

inline constexpr uint32_t kCodeBuildFinished = 0;  // to the launcher
inline constexpr uint32_t kCodeSchedule = 1;       // to the launcher
inline constexpr uint32_t kCodeBuildRequest = 1;   // from a companion
inline constexpr uint32_t kCodeRestoreCaption = 2;
inline constexpr uint32_t kCodeBinderList = 4;  // request, and its reply
inline constexpr uint32_t kCodeRegister = 5;

// A binder list is a few dozen names; 1 MB is far beyond any real reply and
// still cheap to copy.
inline constexpr size_t kMaxMessageBytes = size_t{1} << 20;
// More choices than this cannot be picked from a drop-down list anyway.
inline constexpr size_t kMaxBinderChoices = 10000;
// Binder names are typed by hand; a longer line is no name.
inline constexpr size_t kMaxBinderNameBytes = 1024;

// The data of a message: the prefix and the payload.
std::string EncodeMessage(std::string_view payload);

// The payload of received data (data, size as the message gives them), or
// nothing when the data is not a message: no prefix, more than
// kMaxMessageBytes, a null pointer with a size, or a zero byte inside the
// text. Zero bytes at the very end are taken for a terminator that a sender
// counted, and dropped.
std::optional<std::string> DecodeMessage(const void* data, size_t size);

// What a received message asks the window to do.
enum class CompanionRequest { None, StartBuild, RestoreCaption, BinderList };
CompanionRequest RequestOf(uint64_t code);

// The lines of a binder-list reply (CR LF, CR or LF ends a line; blank lines
// are skipped), or nothing when the reply is not a list: more than
// kMaxBinderChoices lines, or a line longer than kMaxBinderNameBytes.
std::optional<std::vector<std::string>> ParseBinderChoices(std::string_view text);

// The name a choice stands for: its text before the first "=", or the whole
// line when that part is empty.
std::string_view BinderChoiceName(std::string_view line);

// Whether a typed binder name can be sent and stored: not empty, at most
// kMaxBinderNameBytes, no control characters, no "=" (the lists read a name
// up to it), no "[" or "]" (it names INI sections), no "@\@" (it ends the
// name in a registration), no spaces at either end (the INI reader trims
// them), and no cut or broken double-byte character.
bool IsUsableBinderName(std::string_view name);

// True for the bytes that can follow a CP932 lead byte: 40-7E and 80-FC. A
// lead byte followed by anything else is no character, and no name of the
// program's own making holds one.
constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The payload of a registration (code 5).
std::string RegistrationPayload(std::string_view binderName, const std::vector<std::string>& paths);

}  // namespace filvex
