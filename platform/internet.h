#pragma once
// The few WinINet calls of the update check, with the handles owned.
// WinINet is loaded at the first of these calls (platform/system_dll.h);
// when it cannot be, each call fails as it would off line.

#include <windows.h>
#include <wininet.h>

#include <string>

#include "platform/handles.h"

namespace filvex::win {

// InternetCloseHandle(h).
void CloseInternet(HINTERNET h);

struct CloseInternetHandle {
  static bool Valid(HINTERNET h) { return h != nullptr; }
  void operator()(HINTERNET h) const { CloseInternet(h); }
};
// A session, connection or request handle closed with InternetCloseHandle.
using UniqueInternet = UniqueResource<HINTERNET, CloseInternetHandle>;

// InternetAttemptConnect(0): true when the system may go on line.
bool InternetAvailable();

// A session with the configured proxy settings but without proxy discovery.
UniqueInternet OpenInternetSession(const std::string& userAgent);

// Opens url, always from the server (no cache); an empty handle when it
// cannot be opened or when the server answers with another status than
// 200, so that an error page is never taken for the document.
UniqueInternet OpenUrl(HINTERNET session, const std::string& url);

// The length the server announces (Content-Length); false when it gives none.
bool ContentLength(HINTERNET request, unsigned long long& length);

// InternetQueryDataAvailable, capped at 1024 and 1024 when it tells nothing.
DWORD ReadChunkSize(HINTERNET request);

// Reads up to size bytes into buffer; false when the read fails. read = 0
// means the end of the data.
bool ReadChunk(HINTERNET request, char* buffer, DWORD size, DWORD& read);

}  // namespace filvex::win
