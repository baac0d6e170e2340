#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "TemporaryDeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSURL.h"

namespace {

std::string text(const std::shared_ptr<NSData>& data) {
  return data ? std::string(data->vector().begin(), data->vector().end()) : "<nil>";
}

// A one-thread HTTP/1.0 server on 127.0.0.1 with a few fixed routes. It answers one request per
// connection, stops when destroyed, and stops by itself after ten seconds whatever happens.
class LoopbackServer {
 public:
  LoopbackServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen on 127.0.0.1";
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~LoopbackServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) close(listener_);
  }

  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int requests() const { return requests_; }

 private:
  void serve() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      pollfd waiting{listener_, POLLIN, 0};
      if (poll(&waiting, 1, 50) <= 0) continue;
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      answer(connection);
      close(connection);
    }
  }

  void answer(int connection) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
      pollfd readable{connection, POLLIN, 0};
      if (poll(&readable, 1, 2000) <= 0) return;
      ssize_t n = read(connection, buffer, sizeof buffer);
      if (n <= 0) return;
      request.append(buffer, static_cast<size_t>(n));
    }
    ++requests_;
    std::string path = request.substr(4, request.find(' ', 4) - 4);  // after "GET "
    std::string response;
    if (path == "/hello") {
      response = reply("200 OK", "", "hello from loopback");
    } else if (path == "/moved") {
      response = reply("302 Found", "Location: /hello\r\n", "");
    } else if (path == "/broken") {
      response = reply("500 Internal Server Error", "", "oops");
    } else {
      response = reply("404 Not Found", "", "no such page");
    }
    for (size_t sent = 0; sent < response.size();) {
      ssize_t n = write(connection, response.data() + sent, response.size() - sent);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  }

  static std::string reply(const std::string& status, const std::string& headers,
                           const std::string& body) {
    return "HTTP/1.0 " + status + "\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on: bound once to learn a free number, then closed.
int unusedLoopbackPort() {
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  return ntohs(address.sin_port);
}

TEST(NSURL, ParsesThePartsOfAWellFormedURL) {
  auto url =
      NSURL::URLWithString("https://user@cdn.example.com:8443/a/b%20c/pic.jpg?size=150&x=1#top");

  ASSERT_NE(url, nullptr);
  EXPECT_EQ(url->scheme(), "https");
  EXPECT_EQ(url->host(), "cdn.example.com");
  EXPECT_EQ(url->port(), 8443);
  EXPECT_EQ(url->path(), "/a/b c/pic.jpg");
  EXPECT_EQ(url->query(), "size=150&x=1");
  EXPECT_EQ(url->fragment(), "top");
  EXPECT_EQ(url->lastPathComponent(), "pic.jpg");
  EXPECT_EQ(url->pathExtension(), "jpg");
  EXPECT_FALSE(url->isFileURL());
  EXPECT_EQ(url->absoluteString(), url->description());
  EXPECT_EQ(NSURL::URLWithString("http://h.com/dir/")->path(), "/dir");
  EXPECT_EQ(NSURL::URLWithString("http://h.com")->path(), "");
  EXPECT_EQ(NSURL::URLWithString("http://[::1]:80/")->host(), "::1");
  EXPECT_TRUE(
      NSURL::URLWithString("http://a.com/x")->isEqual(NSURL::URLWithString("http://a.com/x")));
  EXPECT_FALSE(
      NSURL::URLWithString("http://a.com/x")->isEqual(NSURL::URLWithString("http://a.com/y")));
}

TEST(NSURL, AnUnparsableStringGivesNil) {
  for (const char* bad :
       {"", "http://a b.com/", "http://example.com/\xC3\xA9", "http://x/%zz", "http://x/100%",
        "1http://x", "http://x:port/", "http://x:99999/", "a#b#c", "http://x/<tag>"}) {
    EXPECT_EQ(NSURL::URLWithString(bad), nullptr) << '"' << bad << '"';
  }
  EXPECT_NE(NSURL::URLWithString("relative/path"), nullptr);
  EXPECT_NE(NSURL::URLWithString("mailto:someone@example.com"), nullptr);
}

TEST(NSURL, FileURLsEncodeTheirPath) {
  auto url = NSURL::fileURLWithPath("/var/mobile/Documents/fake call #1.mp4");

  EXPECT_EQ(url->absoluteString(), "file:///var/mobile/Documents/fake%20call%20%231.mp4");
  EXPECT_TRUE(url->isFileURL());
  EXPECT_EQ(url->path(), "/var/mobile/Documents/fake call #1.mp4");
  EXPECT_EQ(url->lastPathComponent(), "fake call #1.mp4");
  EXPECT_EQ(NSURL::fileURLWithPath("tmp/x")->path(), "/tmp/x");
  EXPECT_EQ(url->URLByAppendingPathComponent("a b")->path(),
            "/var/mobile/Documents/fake call #1.mp4/a b");
}

TEST(NSDataURLLoading, FetchesHTTPAndFollowsRedirects) {
  LoopbackServer server;

  auto hello = NSData::dataWithContentsOfURL(NSURL::URLWithString(server.url("/hello")));
  auto moved = NSData::dataWithContentsOfURL(NSURL::URLWithString(server.url("/moved")));

  EXPECT_EQ(text(hello), "hello from loopback");
  EXPECT_EQ(text(moved), "hello from loopback");
  EXPECT_EQ(server.requests(), 3);
}

TEST(NSDataURLLoading, AnHTTPErrorStatusGivesNil) {
  LoopbackServer server;

  EXPECT_EQ(NSData::dataWithContentsOfURL(NSURL::URLWithString(server.url("/missing"))), nullptr);
  EXPECT_EQ(NSData::dataWithContentsOfURL(NSURL::URLWithString(server.url("/broken"))), nullptr);
  EXPECT_EQ(server.requests(), 2);
}

TEST(NSDataURLLoading, AnUnreachableServerOrUnknownSchemeGivesNil) {
  std::string url = "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/hello";

  EXPECT_EQ(NSData::dataWithContentsOfURL(NSURL::URLWithString(url)), nullptr);
  EXPECT_EQ(NSData::dataWithContentsOfURL(NSURL::URLWithString("ftp://127.0.0.1/x")), nullptr);
  EXPECT_EQ(NSData::dataWithContentsOfURL(nullptr), nullptr);
}

TEST(NSDataURLLoading, AFileURLReadsTheDevicePath) {
  testsupport::TemporaryDeviceRoot device("parlo-url");
  // Like the platform's, a file write does not make the folders on its way.
  std::filesystem::create_directories(device.path() / "var/mobile/Documents");
  auto movie = NSData::dataWithBytes(std::vector<uint8_t>{0, 1, 2, 255});
  ASSERT_TRUE(movie->writeToFile("/var/mobile/Documents/fakecall-video.mp4", true));

  auto read = NSData::dataWithContentsOfURL(
      NSURL::fileURLWithPath("/var/mobile/Documents/fakecall-video.mp4"));
  auto missing = NSData::dataWithContentsOfURL(NSURL::fileURLWithPath("/var/mobile/none.mp4"));
  auto remoteHost = NSData::dataWithContentsOfURL(
      NSURL::URLWithString("file://elsewhere/var/mobile/Documents/fakecall-video.mp4"));

  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->isEqual(movie));
  EXPECT_TRUE(std::filesystem::exists(device.path() / "var/mobile/Documents/fakecall-video.mp4"));
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(remoteHost, nullptr);
  EXPECT_TRUE(
      NSData::dataWithContentsOfFile("/var/mobile/Documents/fakecall-video.mp4")->isEqual(movie));
}

}  // namespace
