#include "platform/internet.h"

#include "platform/system_dll.h"

namespace filvex::win {
namespace {

// WinINet's function `name`, of the type of its declaration F.
template <class F>
F Wininet(const char* name) {
  return SystemFunction<F>("wininet.dll", name);
}

// Each function is looked up once, at its first call.
#define FILVEX_WININET(fn) static const auto fn##_ = Wininet<decltype(&fn)>(#fn)

}  // namespace

void CloseInternet(HINTERNET h) {
  FILVEX_WININET(InternetCloseHandle);
  if (InternetCloseHandle_) InternetCloseHandle_(h);
}

bool InternetAvailable() {
  FILVEX_WININET(InternetAttemptConnect);
  return InternetAttemptConnect_ && InternetAttemptConnect_(0) == ERROR_SUCCESS;
}

UniqueInternet OpenInternetSession(const std::string& userAgent) {
  FILVEX_WININET(InternetOpenA);
  if (!InternetOpenA_) return {};
  return UniqueInternet(InternetOpenA_(
      userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY, nullptr, nullptr, 0));
}

UniqueInternet OpenUrl(HINTERNET session, const std::string& url) {
  FILVEX_WININET(InternetOpenUrlA);
  FILVEX_WININET(HttpQueryInfoA);
  if (!session || !InternetOpenUrlA_ || !HttpQueryInfoA_) return {};
  UniqueInternet request(
      InternetOpenUrlA_(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
  if (!request) return {};
  DWORD status = 0, size = sizeof status;
  // Only http(s) requests have a status; other schemes are taken as they open.
  if (HttpQueryInfoA_(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr) &&
      status != 200) {
    return {};
  }
  return request;
}

bool ContentLength(HINTERNET request, unsigned long long& length) {
  FILVEX_WININET(HttpQueryInfoA);
  DWORD value = 0, size = sizeof value;
  if (!HttpQueryInfoA_ ||
      !HttpQueryInfoA_(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                       nullptr)) {
    return false;
  }
  length = value;
  return true;
}

DWORD ReadChunkSize(HINTERNET request) {
  FILVEX_WININET(InternetQueryDataAvailable);
  DWORD available = 0;
  if (!InternetQueryDataAvailable_ || !InternetQueryDataAvailable_(request, &available, 0, 0) ||
      available == 0)
    return 1024;
  return available < 1024 ? available : 1024;
}

bool ReadChunk(HINTERNET request, char* buffer, DWORD size, DWORD& read) {
  FILVEX_WININET(InternetReadFile);
  read = 0;
  return InternetReadFile_ && InternetReadFile_(request, buffer, size, &read) != FALSE;
}

}  // namespace filvex::win
