#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSError.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSPathUtilities.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
  return {text.begin(), text.end()};
}

// Each test gets a fresh device root in a temporary folder, removed afterwards.
class DeviceRootTest : public ::testing::Test {
 protected:
  std::string host(const std::string& relative) const { return root() + "/" + relative; }
  std::string root() const { return device_.string(); }

  std::string readHost(const std::string& relative) const {
    return testsupport::readFile(host(relative));
  }

  void writeHost(const std::string& relative, const std::string& text) const {
    fs::create_directories(fs::path(host(relative)).parent_path());
    std::ofstream(host(relative), std::ios::binary) << text;
  }

  std::vector<std::string> hostListing(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(host(relative))) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  // The root sits one level down, so that an escape would be visible beside it.
  testsupport::TemporaryDeviceRoot device_{"parlo-device",
                                           "/var/mobile/Containers/Data/Application/TEST", "root"};
  std::shared_ptr<NSFileManager> files_ = NSFileManager::defaultManager();
};

TEST_F(DeviceRootTest, HostilePathsResolveInsideTheRoot) {
  struct Case {
    std::string devicePath;
    std::string expected;  // relative to the root; "" is the root itself
  };
  const std::vector<Case> cases = {
      {"/../../etc/passwd", "etc/passwd"},
      {"../root/x", "root/x"},
      {"/a/../../etc", "etc"},
      {"a/./b", "a/b"},
      {"//..//..//", ""},
      {"/var/mobile/../../../../..", ""},
      {"/a/b/../../../c/./../d", "d"},
      {"~/../..", ""},
      {"/...", "..."},
      {"/x/..hidden", "x/..hidden"},
      {"", ""},
  };

  for (const Case& c : cases) {
    std::optional<std::string> resolved = DeviceRoot::resolve(c.devicePath);

    ASSERT_TRUE(resolved) << c.devicePath;
    EXPECT_EQ(*resolved, c.expected.empty() ? root() : host(c.expected)) << c.devicePath;
  }
  EXPECT_FALSE(DeviceRoot::resolve(std::string("/var/mobile\0/../../etc", 22)));
}

TEST_F(DeviceRootTest, WritesThroughClimbingPathsLandInsideTheRoot) {
  std::vector<uint8_t> payload = bytesOf("contained");

  bool wroteAtomically = DeviceRoot::writeFile("/../../escape", payload, true);
  bool wroteInPlace = DeviceRoot::writeFile("../../escape-too", payload, false);
  bool wroteRoot = DeviceRoot::writeFile("/..", payload, true);

  EXPECT_TRUE(wroteAtomically);
  EXPECT_TRUE(wroteInPlace);
  EXPECT_FALSE(wroteRoot);
  EXPECT_EQ(readHost("escape"), "contained");
  EXPECT_EQ(readHost("escape-too"), "contained");
  EXPECT_EQ(hostListing("..").size(), 1u) << "nothing may appear beside the root";
}

TEST_F(DeviceRootTest, AnAtomicWriteReplacesTheFileWhole) {
  writeHost("var/file", "old contents, longer than the new");

  bool written = DeviceRoot::writeFile("/var/file", bytesOf("new"), true);

  EXPECT_TRUE(written);
  EXPECT_EQ(readHost("var/file"), "new");
  EXPECT_EQ(DeviceRoot::readFile("/var/file"), bytesOf("new"));
  EXPECT_EQ(hostListing("var"), std::vector<std::string>{"file"});
}

TEST_F(DeviceRootTest, AnAtomicWriteThatFailsBeforeItsRenameLeavesTheOldFileAndNoTemporary) {
  writeHost("var/settings.plist", "old settings");
  DeviceRoot::testing::failNextAtomicWriteBeforeRename();

  bool failed = DeviceRoot::writeFile("/var/settings.plist", bytesOf("new settings"), true);
  bool nextWrite = DeviceRoot::writeFile("/var/other", bytesOf("unaffected"), true);

  EXPECT_FALSE(failed);
  EXPECT_EQ(readHost("var/settings.plist"), "old settings");
  EXPECT_TRUE(nextWrite);
  EXPECT_EQ(hostListing("var").size(), 2u) << "a temporary file was left behind";
}

TEST_F(DeviceRootTest, ReadsAndWritesThatCannotSucceedReportFailure) {
  writeHost("var/folder/inside", "x");

  EXPECT_FALSE(DeviceRoot::readFile("/var/missing"));
  EXPECT_FALSE(DeviceRoot::readFile("/var/folder"));
  EXPECT_FALSE(DeviceRoot::writeFile("/no/such/folder/file", bytesOf("x"), true));
  EXPECT_FALSE(DeviceRoot::writeFile("/no/such/folder/file", bytesOf("x"), false));
  EXPECT_FALSE(DeviceRoot::writeFile("/var/folder", bytesOf("x"), true));
  EXPECT_EQ(readHost("var/folder/inside"), "x");
  EXPECT_EQ(hostListing("var"), std::vector<std::string>{"folder"});
}

TEST_F(DeviceRootTest, CreateDirectoryNeedsItsParentUnlessAskedForIntermediates) {
  writeHost("var/file", "x");
  struct Case {
    std::string path;
    bool intermediates;
    bool succeeds;
    NSInteger code;
  };
  const std::vector<Case> cases = {
      {"/var/a/b/c", false, false, NSFileNoSuchFileError},
      {"/var/a/b/c", true, true, 0},
      {"/var/a/b/c", true, true, 0},  // an existing folder is fine with intermediates...
      {"/var/a/b/c", false, false, NSFileWriteFileExistsError},  // ...and not without
      {"/var/a/b/d", false, true, 0},
      {"/var/file", true, false, NSFileWriteFileExistsError},
      {"/var/file", false, false, NSFileWriteFileExistsError},
  };

  for (const Case& c : cases) {
    std::shared_ptr<NSError> error;

    bool created = files_->createDirectoryAtPath(c.path, c.intermediates, nullptr, &error);

    EXPECT_EQ(created, c.succeeds) << c.path << " intermediates " << c.intermediates;
    EXPECT_EQ(error ? error->code() : 0, c.code) << c.path << " intermediates " << c.intermediates;
  }
  bool isDirectory = false;
  EXPECT_TRUE(files_->fileExistsAtPath("/var/a/b/d", &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_TRUE(files_->fileExistsAtPath("/var/file", &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_FALSE(files_->fileExistsAtPath("/var/a/b/missing"));
}

TEST_F(DeviceRootTest, RemoveTakesFoldersWithTheirContentsButNeverTheRoot) {
  writeHost("var/tree/a/b/file", "x");
  writeHost("var/keep", "x");
  std::shared_ptr<NSError> missing;
  std::shared_ptr<NSError> root;

  bool removedTree = files_->removeItemAtPath("/var/tree", nullptr);
  bool removedMissing = files_->removeItemAtPath("/var/tree", &missing);
  bool removedRoot = files_->removeItemAtPath("/var/../..", &root);

  EXPECT_TRUE(removedTree);
  EXPECT_FALSE(removedMissing);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->domain(), NSCocoaErrorDomain);
  EXPECT_EQ(missing->code(), NSFileNoSuchFileError);
  EXPECT_FALSE(removedRoot);
  ASSERT_TRUE(root);
  EXPECT_EQ(hostListing("var"), std::vector<std::string>{"keep"});
}

TEST_F(DeviceRootTest, MoveAndCopyRefuseToOverwriteOrToNestAFolderInItself) {
  writeHost("var/src/inner/file", "source");
  writeHost("var/taken", "taken");
  struct Case {
    bool copy;
    std::string to;
    NSInteger code;
  };
  const std::vector<Case> cases = {
      {false, "/var/taken", NSFileWriteFileExistsError},
      {true, "/var/taken", NSFileWriteFileExistsError},
      {false, "/var/src/inner/moved", NSFileWriteUnknownError},
      {true, "/var/src/inner/copied", NSFileWriteUnknownError},
      {true, "/var/missing/copied", NSFileNoSuchFileError},
  };

  for (const Case& c : cases) {
    std::shared_ptr<NSError> error;

    bool done = c.copy ? files_->copyItemAtPath("/var/src", c.to, &error)
                       : files_->moveItemAtPath("/var/src", c.to, &error);

    EXPECT_FALSE(done) << c.to;
    ASSERT_TRUE(error) << c.to;
    EXPECT_EQ(error->code(), c.code) << c.to;
  }
  EXPECT_EQ(readHost("var/taken"), "taken");
  EXPECT_EQ(hostListing("var/src/inner"), std::vector<std::string>{"file"});
}

TEST_F(DeviceRootTest, CopyDuplicatesAFolderTreeAndMoveRelocatesIt) {
  writeHost("var/src/inner/file", "source");

  bool copied = files_->copyItemAtPath("/var/src", "/var/copy", nullptr);
  bool moved = files_->moveItemAtPath("/var/src", "/var/moved", nullptr);

  EXPECT_TRUE(copied);
  EXPECT_TRUE(moved);
  EXPECT_EQ(readHost("var/copy/inner/file"), "source");
  EXPECT_EQ(readHost("var/moved/inner/file"), "source");
  EXPECT_FALSE(files_->fileExistsAtPath("/var/src"));
}

// The photo picker hands over a copy of every movie it is given: a sparse gigabyte must not
// become a gigabyte written to disk.
TEST_F(DeviceRootTest, CopyOfASparseFileKeepsItsHolesAndItsBytes) {
  constexpr off_t kSize = off_t{1} << 30;
  writeHost("var/sparse", "head");
  {
    std::ofstream file(host("var/sparse"), std::ios::binary | std::ios::in);
    file.seekp(kSize - 4);
    file << "tail";
  }

  bool copied = files_->copyItemAtPath("/var/sparse", "/var/copy", nullptr);

  EXPECT_TRUE(copied);
  struct stat info {};
  ASSERT_EQ(::stat(host("var/copy").c_str(), &info), 0);
  EXPECT_EQ(info.st_size, kSize);
  EXPECT_LT(info.st_blocks * 512, off_t{8} << 20);
  std::ifstream copy(host("var/copy"), std::ios::binary);
  std::string head(4, '\0'), tail(4, '\0');
  copy.read(head.data(), 4);
  copy.seekg(kSize - 4);
  copy.read(tail.data(), 4);
  EXPECT_EQ(head + tail, "headtail");
}

TEST_F(DeviceRootTest, ContentsOfDirectoryListsEveryNameSortedOrReportsWhyNot) {
  for (const char* name : {"b", ".hidden", "a", "Z"})
    writeHost(std::string("var/list/") + name, "");
  std::shared_ptr<NSError> error;

  std::vector<std::string> names = files_->contentsOfDirectoryAtPath("/var/list", nullptr);
  std::vector<std::string> missing = files_->contentsOfDirectoryAtPath("/var/nothing", &error);

  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "Z", "a", "b"}));
  EXPECT_TRUE(missing.empty());
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
}

TEST_F(DeviceRootTest, DocumentsFoundByTheSearchWithTildeExpandedCanHoldFiles) {
  std::vector<std::string> unexpanded =
      NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, false);
  std::vector<std::string> expanded =
      NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
  ASSERT_EQ(expanded.size(), 1u);
  std::string file = stringByAppendingPathComponent(expanded[0], "FakeCallSettings.plist");

  bool madeFolder = files_->createDirectoryAtPath(expanded[0], true, nullptr, nullptr);
  bool madeFile = files_->createFileAtPath(file, bytesOf("plist"), nullptr);

  EXPECT_EQ(unexpanded, std::vector<std::string>{"~/Documents"});
  EXPECT_EQ(expanded[0], "/var/mobile/Containers/Data/Application/TEST/Documents");
  EXPECT_TRUE(madeFolder);
  EXPECT_TRUE(madeFile);
  EXPECT_EQ(readHost("var/mobile/Containers/Data/Application/TEST/Documents/"
                     "FakeCallSettings.plist"),
            "plist");
  EXPECT_TRUE(
      NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSLocalDomainMask, true).empty());
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true)[0],
            "/var/mobile/Containers/Data/Application/TEST/Library/Caches");
  EXPECT_EQ(NSTemporaryDirectory(), "/var/mobile/Containers/Data/Application/TEST/tmp/");
}

TEST(PathUtilities, PathArithmeticFollowsThePlatform) {
  using Unary = std::string (*)(std::string_view);
  struct Case {
    const char* function;
    Unary apply;
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"last", lastPathComponent, "/tmp/scratch.tiff", "scratch.tiff"},
      {"last", lastPathComponent, "/tmp/", "tmp"},
      {"last", lastPathComponent, "scratch///", "scratch"},
      {"last", lastPathComponent, "/", "/"},
      {"last", lastPathComponent, "", ""},
      {"deleteLast", stringByDeletingLastPathComponent, "/tmp/scratch.tiff", "/tmp"},
      {"deleteLast", stringByDeletingLastPathComponent, "/tmp/lock/", "/tmp"},
      {"deleteLast", stringByDeletingLastPathComponent, "/tmp/", "/"},
      {"deleteLast", stringByDeletingLastPathComponent, "/", "/"},
      {"deleteLast", stringByDeletingLastPathComponent, "scratch.tiff", ""},
      {"deleteLast", stringByDeletingLastPathComponent, "a//b", "a"},
      {"extension", pathExtension, "/tmp/scratch.tiff", "tiff"},
      {"extension", pathExtension, ".scratch.tiff", "tiff"},
      {"extension", pathExtension, "/tmp/scratch", ""},
      {"extension", pathExtension, "/tmp.d/scratch", ""},
      {"extension", pathExtension, "/tmp/.profile", ""},
      {"extension", pathExtension, "video.mp4/", "mp4"},
      {"deleteExtension", stringByDeletingPathExtension, "/tmp/scratch.tiff", "/tmp/scratch"},
      {"deleteExtension", stringByDeletingPathExtension, "/tmp/", "/tmp"},
      {"deleteExtension", stringByDeletingPathExtension, "scratch.bundle/", "scratch"},
      {"deleteExtension", stringByDeletingPathExtension, "scratch..tiff", "scratch."},
      {"deleteExtension", stringByDeletingPathExtension, ".tiff", ".tiff"},
      {"deleteExtension", stringByDeletingPathExtension, "/", "/"},
      {"standardize", stringByStandardizingPath, "/var//mobile/./Documents/",
       "/var/mobile/Documents"},
      {"standardize", stringByStandardizingPath, "/var/mobile/../../../etc", "/etc"},
      {"standardize", stringByStandardizingPath, "a/../b", "a/../b"},
      {"standardize", stringByStandardizingPath, "~/Documents", "/var/mobile/Documents"},
      {"tilde", stringByExpandingTildeInPath, "~", "/var/mobile"},
      {"tilde", stringByExpandingTildeInPath, "~/Library/", "/var/mobile/Library"},
      {"tilde", stringByExpandingTildeInPath, "/a/~", "/a/~"},
      {"tilde", stringByExpandingTildeInPath, "~other/x", "~other/x"},
  };

  for (const Case& c : cases) {
    EXPECT_EQ(c.apply(c.input), c.expected) << c.function << "(\"" << c.input << "\")";
  }
}

TEST(PathUtilities, AppendingComponentsAndExtensionsFollowsThePlatform) {
  struct Case {
    std::string path;
    std::string addition;
    std::string component;
    std::string extension;
  };
  const std::vector<Case> cases = {
      {"/tmp", "scratch.tiff", "/tmp/scratch.tiff", "/tmp.scratch.tiff"},
      {"/tmp/", "scratch", "/tmp/scratch", "/tmp.scratch"},
      {"/", "tmp", "/tmp", "/"},
      {"", "tmp", "tmp", ""},
      {"a", "", "a", "a"},
      {"/tmp", "/b//", "/tmp/b", "/tmp./b//"},
      {"/tmp/scratch.", "tiff", "/tmp/scratch./tiff", "/tmp/scratch..tiff"},
  };

  for (const Case& c : cases) {
    EXPECT_EQ(stringByAppendingPathComponent(c.path, c.addition), c.component)
        << c.path << " + " << c.addition;
    EXPECT_EQ(stringByAppendingPathExtension(c.path, c.addition), c.extension)
        << c.path << " + " << c.addition;
  }
}

}  // namespace
