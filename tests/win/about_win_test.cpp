// The version window and the update check against a small HTTP server on
// the loopback interface that each test starts and stops: the latest
// release, a newer one downloaded, a download stopped or cut short, and
// pages that name no safe archive.
#include <winsock2.h>
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "about/version_box_win.h"
#include "platform/shell_start.h"
#include "platform/window_text.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

// One answer of the server: the status, the body, and the length announced
// (-1: the body's own). A shorter body than announced is a connection the
// server closes early.
struct Reply {
  int status = 200;
  std::string body;
  long long announced = -1;
};

// A one-thread HTTP/1.0 server on 127.0.0.1 and a free port: each request
// gets the reply of its path (404 for others), then the connection closes.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::map<std::string, Reply> replies) : replies_(std::move(replies)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int size = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size);
    port_ = ntohs(addr.sin_port);
    listen(listener_, 8);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    // A last connection wakes the accept loop, which sees the stop.
    stop_ = true;
    SOCKET wake = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<u_short>(port_));
    connect(wake, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    thread_.join();
    closesocket(wake);
    closesocket(listener_);
    WSACleanup();
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      if (stop_) {
        closesocket(client);
        return;
      }
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, n);
      }
      const size_t start = request.find(' ') + 1;
      const std::string path = request.substr(start, request.find(' ', start) - start);
      Reply reply{404, "not found"};
      if (auto it = replies_.find(path); it != replies_.end()) reply = it->second;
      const long long length =
          reply.announced >= 0 ? reply.announced : static_cast<long long>(reply.body.size());
      const std::string response = "HTTP/1.0 " + std::to_string(reply.status) +
                                   " X\r\nContent-Type: application/octet-stream\r\n" +
                                   "Content-Length: " + std::to_string(length) +
                                   "\r\nConnection: close\r\n\r\n" + reply.body;
      size_t sent = 0;
      while (sent < response.size()) {
        const int n =
            send(client, response.data() + sent, static_cast<int>(response.size() - sent), 0);
        if (n <= 0) break;
        sent += n;
      }
      shutdown(client, SD_SEND);
      closesocket(client);
    }
  }

  std::map<std::string, Reply> replies_;
  std::atomic<bool> stop_{false};
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
};

std::string Archive(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
  return s;
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::FreshFolder("update") + "\\";
    boxes_ = test::RecordMessageBoxes(texts_, IDYES);
    win::SetShellStartRecorderForTests([this](const win::ShellStart& s) {
      starts_.push_back(s);
      return INT_PTR{42};
    });
    TVersionBox::SetFolderChooserForTests([this]() -> std::optional<std::string> {
      ++folderAsked_;
      if (onFolder_) onFolder_();
      return folder_;
    });
  }
  void TearDown() override {
    TVersionBox::SetShowHookForTests(nullptr);
    TVersionBox::SetFolderChooserForTests(nullptr);
    win::SetShellStartRecorderForTests(nullptr);
    _putenv("FILVEX_UPDATE_BASE=");
  }

  // Serves the page (and the archives) and runs the update button once in a
  // shown version window; `after` looks at the window before it closes.
  void Check(std::map<std::string, Reply> replies,
             std::function<void(TVersionBox&)> after = nullptr) {
    LoopbackServer server(std::move(replies));
    _putenv(("FILVEX_UPDATE_BASE=" + server.Base()).c_str());
    base_ = server.Base();
    TVersionBox::SetShowHookForTests([&](TVersionBox& box) {
      onFolder_ = [this, &box] {
        if (stopAtStart_) PostMessageA(box.Handle(), WM_COMMAND, TVersionBox::kUpdateChkBtn, 0);
      };
      box.UpdateChkBtnClick();
      if (after) after(box);
      box.Close();
    });
    TAboutDialog about;
    about.Execute(nullptr);
  }

  static Reply Page(const std::string& body) { return Reply{200, body}; }

  std::string folder_, base_;
  std::vector<std::string> texts_;
  std::unique_ptr<win::ScopedMessageBoxHook> boxes_;
  std::vector<win::ShellStart> starts_;
  int folderAsked_ = 0;
  bool stopAtStart_ = false;
  std::function<void()> onFolder_;
};

const char kLatest[] = "お使いのソフトは最新のバージョンです。";
const char kNoArchive[] = "アップデートファイルが有りません！";
const char kNoConnection[] = "インターネットに接続できません。";

TEST_F(UpdateCheckTest, PagesWithoutANewerSafeArchiveOfferNothing) {
  struct Case {
    std::map<std::string, Reply> replies;
    std::string message;
  } cases[] = {
      {{{"/FreeSoftware.htm", Page("<a href=\"VemkoInstFile/Filvex_1121.zip\">1.1.2.1</a>")}},
       kLatest},
      {{{"/FreeSoftware.htm", Page("Filvex_1120.zip")}}, kLatest},
      {{{"/FreeSoftware.htm", Page("Filvex_1122.lzh and Filvex_1123.txt")}}, kNoArchive},
      // A hostile page must not choose where the archive goes.
      {{{"/FreeSoftware.htm", Page("<a href=\"Filvex_..\\x.zip\">")},
        {"/VemkoInstFile/Filvex_..\\x.zip", Reply{200, "evil"}}},
       kNoArchive},
      // An error page is no release page.
      {{{"/FreeSoftware.htm", Reply{404, "Filvex_1122.zip"}}}, kNoConnection},
      {{}, kNoConnection},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.message);
    texts_.clear();
    Check(c.replies);
    EXPECT_EQ(texts_, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(folderAsked_, 0);
  EXPECT_TRUE(starts_.empty());
  EXPECT_EQ(GetFileAttributesA((folder_ + "..\\x.zip").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UpdateCheckTest, NewerArchiveIsDownloadedWithProgressAndItsFolderOpened) {
  const std::string archive = Archive(5000);
  int position = -1, maximum = -2;
  bool okShown = false;
  std::string caption;
  Check({{"/FreeSoftware.htm", Page("<p>Filvex_1125.txt</p><a>Filvex_1122.zip</a>")},
         {"/VemkoInstFile/Filvex_1122.zip", Reply{200, archive}}},
        [&](TVersionBox& box) {
          HWND bar = box.Control(TVersionBox::kProgressBar);
          position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
          maximum = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
          okShown = IsWindowVisible(box.Control(IDOK)) != FALSE;
          caption = win::WindowText(box.Control(TVersionBox::kUpdateChkBtn));
        });
  ASSERT_EQ(texts_.size(), 1u);
  EXPECT_EQ(
      texts_[0],
      "最新のアップデートファイルが見つかりました。\n'Filvex_1122.zip' をダウンロードしますか？");
  EXPECT_EQ(test::ReadFile(folder_ + "Filvex_1122.zip"), archive);
  EXPECT_EQ(GetFileAttributesA((folder_ + "Filvex_1122.zip.part").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_GT(maximum, 0);
  EXPECT_EQ(position, maximum);
  EXPECT_TRUE(okShown);
  EXPECT_EQ(caption, "Update");
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].verb, "open");
  EXPECT_EQ(starts_[0].file, folder_.substr(0, folder_.size() - 1));
}

TEST_F(UpdateCheckTest, StoppedOrCutShortDownloadLeavesNoFile) {
  struct Case {
    bool stop;
    Reply archive;
    std::string message;
  } cases[] = {
      {true, Reply{200, Archive(300000)}, "ダウンロードを中止しました。"},
      {false, Reply{200, Archive(3000), 5000}, "down load error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    texts_.clear();
    stopAtStart_ = c.stop;
    Check({{"/FreeSoftware.htm", Page("Filvex_1122.zip")},
           {"/VemkoInstFile/Filvex_1122.zip", c.archive}});
    ASSERT_EQ(texts_.size(), 2u);
    EXPECT_EQ(texts_[1], c.message);
    EXPECT_EQ(GetFileAttributesA((folder_ + "Filvex_1122.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((folder_ + "Filvex_1122.zip.part").c_str()),
              INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_TRUE(starts_.empty());
}

TEST_F(UpdateCheckTest, MissingArchiveOrAnsweredNoWritesNothing) {
  Check({{"/FreeSoftware.htm", Page("Filvex_1122.zip")}});  // the archive is not on the site
  boxes_.reset();  // the hook restores the one before it: none may be left in between
  boxes_ = test::RecordMessageBoxes(texts_, IDNO);
  Check({{"/FreeSoftware.htm", Page("Filvex_1122.zip")},
         {"/VemkoInstFile/Filvex_1122.zip", Reply{200, "zip"}}});
  EXPECT_EQ(texts_.size(), 2u);  // the two questions, nothing else
  EXPECT_EQ(folderAsked_, 1);
  EXPECT_EQ(GetFileAttributesA((folder_ + "Filvex_1122.zip").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(starts_.empty());
}

TEST_F(UpdateCheckTest, VersionWindowShowsTheAboutTextsAndTheMakerLinkOpensTheSite) {
  std::map<int, std::string> shown;
  LoopbackServer server({});
  _putenv(("FILVEX_UPDATE_BASE=" + server.Base()).c_str());
  TAboutDialog about;
  int opened = 0;
  TVersionBox::SetShowHookForTests([&](TVersionBox& box) {
    ++opened;
    about.Execute(nullptr);  // already open: nothing happens
    shown[0] = win::WindowText(box.Handle());
    for (int id : {TVersionBox::kStaticText1, TVersionBox::kStaticText2, TVersionBox::kLabel2,
                   TVersionBox::kLabel4}) {
      shown[id] = win::WindowText(box.Control(id));
    }
    SendMessageA(box.Handle(), WM_COMMAND, MAKEWPARAM(TVersionBox::kLabel4, STN_CLICKED),
                 reinterpret_cast<LPARAM>(box.Control(TVersionBox::kLabel4)));
    box.Close();
  });
  about.Execute(nullptr);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(about.IsOpen());
  EXPECT_EQ(shown[0], "バージョン情報");
  EXPECT_EQ(shown[TVersionBox::kStaticText1], "Filvex  ");
  EXPECT_EQ(shown[TVersionBox::kStaticText2], "[ 1.1.2.1 ]");
  EXPECT_EQ(shown[TVersionBox::kLabel2], "Programming by Vemko");
  EXPECT_EQ(shown[TVersionBox::kLabel4], "Vemko");
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].file, "iexplore");
  EXPECT_EQ(starts_[0].parameters, server.Base());
}

}  // namespace
}  // namespace filvex
