#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "AppleFixtures.h"
#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "chat/ChatStore.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/RunLoop.h"

namespace fs = std::filesystem;

namespace {

const std::string kHome = "/var/mobile/Containers/Data/Application/TEST";
const std::string kChatFolder = kHome + "/Documents/ParloChats";
const std::string kReader = PARLO_SOURCE_DIR "/tests/tweak/read_chat_archive.py";
const std::string& kFixtures = testsupport::kAppleFixtures;

std::shared_ptr<NSString> name(std::string_view utf8) {
  return NSString::string(utf8);
}

std::shared_ptr<ChatDataModel> record(std::string_view message, std::string_view type,
                                      bool avatar = false, bool like = false, bool call = false) {
  return ChatDataModel::alloc()->initWithMessage(message, type, avatar, like, call);
}

// "message|type|avatar like call" for each record, to compare whole chats at once.
std::vector<std::string> summary(const std::shared_ptr<NSArray>& records) {
  std::vector<std::string> lines;
  for (const id& object : records->objects()) {
    auto r = std::static_pointer_cast<ChatDataModel>(object);
    lines.push_back((r->message ? r->message->utf8() : "(nil)") + "|" +
                    (r->messageType ? r->messageType->utf8() : "(nil)") + "|" +
                    std::to_string(r->showAvatar) + std::to_string(r->showLike) +
                    std::to_string(r->activeCall));
  }
  return lines;
}

using testsupport::readFile;

std::string quoted(const std::string& argument) {
  std::string out = "'";
  for (char c : argument) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Each test runs on a fresh device root whose app has its Documents folder, on the manual clock.
class ChatFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(host(kHome + "/Documents"));
    RunLoop::useManualClock();
  }

  void TearDown() override { RunLoop::useManualClock(); }

  fs::path host(const std::string& devicePath) const {
    return device_.path() / devicePath.substr(1);
  }

  std::set<std::string> chatFolderListing() const {
    std::set<std::string> names;
    if (!fs::exists(host(kChatFolder))) return names;
    for (const auto& entry : fs::directory_iterator(host(kChatFolder))) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  void writeChatFile(const std::string& fileName, std::string_view bytes) const {
    fs::create_directories(host(kChatFolder));
    std::ofstream(host(kChatFolder + "/" + fileName), std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
  }

  // Runs the independent reader or writer; its standard output, or nothing when it failed.
  std::optional<std::string> python(const std::string& mode, const fs::path& file,
                                    const std::string& input = "") {
    if (std::system("python3 -c 'import plistlib' >/dev/null 2>&1") != 0) return std::nullopt;
    const fs::path in = device_.folder() / "in.jsonl", out = device_.folder() / "out.jsonl";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = "python3 " + quoted(kReader) + " " + mode + " " +
                                quoted(file.string()) + " <" + quoted(in.string()) + " >" +
                                quoted(out.string());
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return readFile(out);
  }

  // The root sits one level down, so that a file written outside it would show beside it.
  testsupport::TemporaryDeviceRoot device_{"parlo-chat", kHome, "root"};
};

std::shared_ptr<NSMutableArray> sampleChat() {
  return NSMutableArray::arrayWithObjects({
      record("Hey!", "OUTGOING"),
      record("hello 👋", "INCOMING", true, true),
      record("09:41", "OUTGOING-START-CALL", true, false, true),
      record("Yesterday", "TIME-HEADER"),
  });
}

}  // namespace

TEST_F(ChatFiles, PlainNamesKeepTheirFileNameAndOthersAreEncodedInsideTheFolderAndApart) {
  const std::vector<std::string> plain{"alice", "john.doe_99", "Zoë", "A", "a..b", "x-", ".hidden",
                                       "...",
                                       // differing only in case or in normalisation
                                       "ALICE", "Zoe\u0308", "😀🏽"};
  const std::vector<std::string> hostile{"",
                                         "/",
                                         ".",
                                         "..",
                                         "a/b",
                                         "../../../etc/passwd",
                                         std::string("a\0b", 3),
                                         "%41",
                                         "%",
                                         std::string(201, 'a'),
                                         std::string(300, 'a') + "1",
                                         std::string(300, 'a') + "2",
                                         std::string(120, 'b') + "/" + std::string(120, 'b'),
                                         "日本語/" + std::string(90, 'z')};

  std::set<std::string> fileNames;
  for (const std::string& username : plain) {
    auto path = ChatFile::chatFilePath(name(username));
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, kChatFolder + "/" + username + ".plist");
    fileNames.insert(lastPathComponent(*path));
  }
  for (const std::string& username : hostile) {
    SCOPED_TRACE(username);
    auto path = ChatFile::chatFilePath(name(username));
    ASSERT_TRUE(path);
    const std::string file = lastPathComponent(*path);
    EXPECT_EQ(stringByDeletingLastPathComponent(*path), kChatFolder);
    EXPECT_EQ(file.front(), '%');
    EXPECT_LE(file.size(), 255u - std::string(".damaged-100").size());
    EXPECT_EQ(file.find('\0'), std::string::npos);
    fileNames.insert(file);
  }
  // A lone surrogate cannot be written as UTF-8; it must not become the name of its neighbour.
  auto lone = NSString::stringWithCharacters(u"ab\xD800");
  auto replaced = NSString::stringWithCharacters(u"ab\xFFFD");
  fileNames.insert(lastPathComponent(*ChatFile::chatFilePath(lone)));
  fileNames.insert(lastPathComponent(*ChatFile::chatFilePath(replaced)));

  EXPECT_EQ(fileNames.size(), plain.size() + hostile.size() + 2);
}

// Names too long for a file keep their head and a digest of the whole name; files saved under
// these names before must keep loading.
TEST_F(ChatFiles, LongNamesKeepTheDigestedFileNamesTheyAlwaysHad) {
  const struct {
    std::string username, fileName;
  } cases[] = {
      {std::string(300, 'a'),
       "%" + std::string(120, 'a') +
           "~2da9cfb6231f629f46cf67cea0d81b07074cc6bd3a72d77b66c4731638fbe0e1"},
      {[] {
         std::string s;
         for (int i = 0; i < 150; ++i) s += "x/";
         return s;
       }(),
       [] {
         std::string s = "%x";
         for (int i = 0; i < 29; ++i) s += "%2Fx";
         return s + "%2F~b0a920bcd3f2ac73f504a3688904306bca9619401d4e5b4d1009aa63cf8e98b2";
       }()},
      {[] {
         std::string s;
         for (int i = 0; i < 100; ++i) s += "\U0001F600";
         return s;
       }(),
       [] {
         std::string s = "%";
         for (int i = 0; i < 10; ++i) s += "%uD83D%uDE00";
         return s + "~47023417aa26cc6c3430c34fcf49549bbf0f23e57b5fae4df8d26ee8cfd06843";
       }()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChatFile::fileNameForUsername(*name(c.username)), c.fileName);
  }
}

TEST_F(ChatFiles, AHostileNameSavesAndLoadsInsideTheChatFolder) {
  auto store = ChatStore::storeWithUsername(name("../../Library/Preferences/evil"));

  ASSERT_TRUE(store->saveChatData(sampleChat()));
  bool existed = false;
  auto loaded =
      ChatStore::storeWithUsername(name("../../Library/Preferences/evil"))->loadChatData(&existed);

  EXPECT_EQ(chatFolderListing().size(), 1u);
  EXPECT_FALSE(fs::exists(host(kHome + "/Library")));
  EXPECT_TRUE(existed);
  EXPECT_EQ(summary(loaded), summary(sampleChat()));
}

TEST_F(ChatFiles, WithoutAUserNameNothingIsReadOrWritten) {
  writeChatFile("(null).plist", "left by an older build");
  auto store = ChatStore::storeWithUsername(nullptr);

  bool existed = true;
  auto loaded = store->loadChatData(&existed);
  const bool saved = store->saveChatData(sampleChat());

  EXPECT_FALSE(existed);
  EXPECT_EQ(loaded->count(), 0u);
  EXPECT_FALSE(saved);
  EXPECT_EQ(chatFolderListing(), (std::set<std::string>{"(null).plist"}));
  EXPECT_EQ(readFile(host(kChatFolder + "/(null).plist")), "left by an older build");
}

TEST_F(ChatFiles, SaveCreatesTheFolderAndLoadGivesTheRecordsBackInOrder) {
  auto store = ChatStore::storeWithUsername(name("alice"));
  bool existed = true;
  EXPECT_EQ(store->loadChatData(&existed)->count(), 0u);
  EXPECT_FALSE(existed);

  ASSERT_TRUE(store->saveChatData(sampleChat()));
  auto loaded = ChatStore::storeWithUsername(name("alice"))->loadChatData(&existed);

  EXPECT_TRUE(existed);
  EXPECT_EQ(chatFolderListing(), (std::set<std::string>{"alice.plist"}));
  EXPECT_EQ(summary(loaded), summary(sampleChat()));

  // A second save replaces the file.
  loaded->removeObjectAtIndex(0);
  ASSERT_TRUE(store->saveChatData(loaded));
  EXPECT_EQ(summary(ChatStore::storeWithUsername(name("alice"))->loadChatData()), summary(loaded));
}

// A folder where the chat file belongs is left as it is, and the user's messages are not thrown
// away without a word: loading and saving each say why nothing was read or written.
TEST_F(ChatFiles, AFolderInTheChatFilesPlaceIsLeftAloneAndSaidSo) {
  fs::create_directories(host(kChatFolder + "/maya.plist"));
  std::ofstream(host(kChatFolder + "/maya.plist/note.txt")) << "mine";
  auto store = ChatStore::storeWithUsername(name("maya"));

  testing::internal::CaptureStderr();
  bool existed = true;
  auto loaded = store->loadChatData(&existed);
  const bool saved = store->saveChatData(sampleChat());
  const std::string log = testing::internal::GetCapturedStderr();

  EXPECT_EQ(loaded->count(), 0u);
  EXPECT_FALSE(existed);
  EXPECT_FALSE(saved);
  EXPECT_NE(log.find("maya.plist is a folder, not a chat file; the chat opens empty"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("the chat is not saved: "), std::string::npos) << log;
  EXPECT_EQ(readFile(host(kChatFolder + "/maya.plist/note.txt")), "mine");
}

TEST_F(ChatFiles, AFailedWriteLeavesTheOldFileWhole) {
  auto store = ChatStore::storeWithUsername(name("alice"));
  ASSERT_TRUE(store->saveChatData(sampleChat()));

  DeviceRoot::testing::failNextAtomicWriteBeforeRename();
  const bool saved = store->saveChatData(NSMutableArray::array());

  EXPECT_FALSE(saved);
  EXPECT_EQ(summary(store->loadChatData()), summary(sampleChat()));
  EXPECT_EQ(chatFolderListing(), (std::set<std::string>{"alice.plist"}));
}

TEST_F(ChatFiles, DeleteRemovesTheFileAtOnceAndTheRecordsHalfASecondLater) {
  auto store = ChatStore::storeWithUsername(name("alice"));
  auto messages = sampleChat();
  ASSERT_TRUE(store->saveChatData(messages));
  int reloads = 0;

  store->deleteChatData(messages, [&] { ++reloads; });

  EXPECT_TRUE(chatFolderListing().empty());
  RunLoop::advance(0.49);
  EXPECT_EQ(messages->count(), 4u);
  EXPECT_EQ(reloads, 0);
  RunLoop::advance(0.01);
  EXPECT_EQ(messages->count(), 0u);
  EXPECT_EQ(reloads, 1);
}

TEST_F(ChatFiles, ASaveJustAfterADeleteWritesTheEmptiedChatAndKeepsNewMessages) {
  auto store = ChatStore::storeWithUsername(name("alice"));
  auto messages = sampleChat();
  ASSERT_TRUE(store->saveChatData(messages));
  store->deleteChatData(messages, nullptr);
  RunLoop::advance(0.2);
  messages->addObject(record("sent after the delete", "OUTGOING"));

  ASSERT_TRUE(store->saveChatData(messages));
  auto onDisk = ChatStore::storeWithUsername(name("alice"))->loadChatData();
  RunLoop::advance(0.3);

  const std::vector<std::string> survivor{"sent after the delete|OUTGOING|000"};
  EXPECT_EQ(summary(onDisk), survivor);
  EXPECT_EQ(summary(messages), survivor);
  // Once the records are gone from the list, saves write the list as it is.
  ASSERT_TRUE(store->saveChatData(messages));
  EXPECT_EQ(summary(ChatStore::storeWithUsername(name("alice"))->loadChatData()), survivor);
}

TEST_F(ChatFiles, ADamagedFileOpensEmptyAndIsKeptAsideBeforeASaveReplacesIt) {
  // Garbage, a keyed archive whose root is a string, and an archive of an array of strings.
  std::vector<std::string> damaged{"not a property list at all"};
  for (id root : {id(NSString::string("hi")),
                  id(NSMutableArray::arrayWithObjects({NSString::string("hi")}))}) {
    auto data = NSKeyedArchiver::archivedDataWithRootObject(root, false, nullptr);
    damaged.emplace_back(data->vector().begin(), data->vector().end());
  }

  auto store = ChatStore::storeWithUsername(name("alice"));
  for (size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE(i);
    writeChatFile("alice.plist", damaged[i]);
    bool existed = false;

    auto loaded = store->loadChatData(&existed);
    ASSERT_TRUE(store->saveChatData(sampleChat()));

    EXPECT_TRUE(existed);
    EXPECT_EQ(loaded->count(), 0u);
    const std::string aside =
        i == 0 ? "alice.plist.damaged" : "alice.plist.damaged-" + std::to_string(i + 1);
    EXPECT_EQ(readFile(host(kChatFolder + "/" + aside)), damaged[i]);
    EXPECT_EQ(summary(store->loadChatData()), summary(sampleChat()));
  }
  EXPECT_EQ(chatFolderListing(),
            (std::set<std::string>{"alice.plist", "alice.plist.damaged", "alice.plist.damaged-2",
                                   "alice.plist.damaged-3"}));
}

TEST_F(ChatFiles, AFoundationArchiveThatIsNoChatIsKeptAside) {
  const std::string fixture = readFile(kFixtures + "nska-arrays.bin");
  REQUIRE_APPLE_FIXTURES();
  ASSERT_FALSE(fixture.empty());
  writeChatFile("bob.plist", fixture);

  auto loaded = ChatStore::storeWithUsername(name("bob"))->loadChatData();

  EXPECT_EQ(loaded->count(), 0u);
  EXPECT_EQ(readFile(host(kChatFolder + "/bob.plist.damaged")), fixture);
}

TEST_F(ChatFiles, AnIndependentReaderFindsFoundationsArchiveStructure) {
  auto messages = sampleChat();
  messages->addObject(ChatDataModel::alloc()->initWithMessage(std::shared_ptr<NSString>(), nullptr,
                                                              false, false, false));
  ASSERT_TRUE(ChatStore::storeWithUsername(name("alice"))->saveChatData(messages));

  auto lines = python("read", host(kChatFolder + "/alice.plist"));
  if (!lines) {
    ASSERT_NE(std::system("python3 -c 'import plistlib' >/dev/null 2>&1"), 0)
        << "the reader refused the file";
    GTEST_SKIP() << "no python3";
  }

  EXPECT_EQ(*lines,
            "{\"message\": \"Hey!\", \"messageType\": \"OUTGOING\", \"showAvatar\": false, "
            "\"showLike\": false, \"activeCall\": false}\n"
            "{\"message\": \"hello 👋\", \"messageType\": \"INCOMING\", \"showAvatar\": true, "
            "\"showLike\": true, \"activeCall\": false}\n"
            "{\"message\": \"09:41\", \"messageType\": \"OUTGOING-START-CALL\", \"showAvatar\": "
            "true, \"showLike\": false, \"activeCall\": true}\n"
            "{\"message\": \"Yesterday\", \"messageType\": \"TIME-HEADER\", \"showAvatar\": false, "
            "\"showLike\": false, \"activeCall\": false}\n"
            "{\"message\": null, \"messageType\": null, \"showAvatar\": false, \"showLike\": "
            "false, \"activeCall\": false}\n");
}

TEST_F(ChatFiles, AnArchiveFromAnIndependentWriterLoads) {
  fs::create_directories(host(kChatFolder));
  const std::string input =
      "{\"message\": \"Hi\", \"messageType\": \"OUTGOING\", \"showAvatar\": false, "
      "\"showLike\": true, \"activeCall\": false}\n"
      "{\"message\": \"12:00\", \"messageType\": \"INCOMING-START-CALL\", \"showAvatar\": true, "
      "\"showLike\": false}\n"
      "{\"message\": \"Hi\", \"messageType\": \"INCOMING\", \"activeCall\": true}\n";

  if (!python("write", host(kChatFolder + "/carol.plist"), input)) GTEST_SKIP() << "no python3";
  bool existed = false;
  auto loaded = ChatStore::storeWithUsername(name("carol"))->loadChatData(&existed);

  EXPECT_TRUE(existed);
  EXPECT_EQ(summary(loaded),
            (std::vector<std::string>{"Hi|OUTGOING|010", "12:00|INCOMING-START-CALL|100",
                                      "Hi|INCOMING|001"}));
}

// One 64 KB record shared 600,000 times is a small file but 39 billion characters to show: it
// opens empty, says why, and is kept aside untouched.
TEST_F(ChatFiles, AChatBeyondTheBoundsOpensEmptyAndIsKeptAside) {
  auto shared = record(std::string(65536, 'x'), "OUTGOING");
  auto hostile = NSMutableArray::array();
  for (int i = 0; i < 600000; ++i) hostile->addObject(shared);
  auto bytes = ChatFile::encode(*hostile);
  ASSERT_TRUE(bytes);
  ASSERT_LT(bytes->size(), 1000000u);
  writeChatFile("maya.plist",
                std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));

  testing::internal::CaptureStderr();
  bool existed = false;
  auto loaded = ChatStore::storeWithUsername(name("maya"))->loadChatData(&existed);
  const std::string log = testing::internal::GetCapturedStderr();

  EXPECT_EQ(loaded->count(), 0u);
  EXPECT_NE(log.find("more than the 33554432 a chat may hold"), std::string::npos) << log;
  EXPECT_EQ(chatFolderListing(), (std::set<std::string>{"maya.plist.damaged"}));
  EXPECT_EQ(readFile(host(kChatFolder + "/maya.plist.damaged")).size(), bytes->size());
}

TEST_F(ChatFiles, AHundredThousandMessagesSaveAndLoadInOrder) {
  auto messages = NSMutableArray::array();
  for (int i = 0; i < 100000; ++i) {
    messages->addObject(record("message " + std::to_string(i), i % 2 ? "INCOMING" : "OUTGOING"));
  }
  auto store = ChatStore::storeWithUsername(name("many"));

  ASSERT_TRUE(store->saveChatData(messages));
  auto loaded = ChatStore::storeWithUsername(name("many"))->loadChatData();

  ASSERT_EQ(loaded->count(), 100000u);
  EXPECT_EQ(summary(loaded), summary(messages));
}
