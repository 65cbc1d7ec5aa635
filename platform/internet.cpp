#include "platform/internet.h"

namespace filvex::win {

bool InternetAvailable() {
  return InternetAttemptConnect(0) == ERROR_SUCCESS;
}

UniqueInternet OpenInternetSession(const std::string& userAgent) {
  return UniqueInternet(InternetOpenA(
      userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY, nullptr, nullptr, 0));
}

UniqueInternet OpenUrl(HINTERNET session, const std::string& url) {
  if (!session) return {};
  UniqueInternet request(
      InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
  if (!request) return {};
  DWORD status = 0, size = sizeof status;
  // Only http(s) requests have a status; other schemes are taken as they open.
  if (HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr) &&
      status != 200) {
    return {};
  }
  return request;
}

bool ContentLength(HINTERNET request, unsigned long long& length) {
  DWORD value = 0, size = sizeof value;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                      nullptr)) {
    return false;
  }
  length = value;
  return true;
}

DWORD ReadChunkSize(HINTERNET request) {
  DWORD available = 0;
  if (!InternetQueryDataAvailable(request, &available, 0, 0) || available == 0) return 1024;
  return available < 1024 ? available : 1024;
}

bool ReadChunk(HINTERNET request, char* buffer, DWORD size, DWORD& read) {
  read = 0;
  return InternetReadFile(request, buffer, size, &read) != FALSE;
}

}  // namespace filvex::win
