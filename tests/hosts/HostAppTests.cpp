#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DirectInbox.h"
#include "HostApp.h"
#include "IGDirectThreadViewController.h"
#include "InjectionLoader.h"
#include "TemporaryDeviceRoot.h"
#include "UIView+ViewController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/RunLoop.h"
#include "uikit/UIWindow.h"

namespace {

// A device root of its own for each test, removed afterwards.
class DeviceRootFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(device_.path() /
                                        "Library/MobileSubstrate/DynamicLibraries");
    RunLoop::useManualClock();
  }

  void writeFilter(const std::string& name, const std::string& body) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + body + "</plist>";
    ASSERT_TRUE(
        DeviceRoot::writeFile(std::string(InjectionLoader::kInjectionFolder) + name + ".plist",
                              {reinterpret_cast<const uint8_t*>(xml.data()), xml.size()}, false));
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-hosts-test"};
};

std::string bundlesFilter(const std::string& identifier) {
  return "<dict><key>Filter</key><dict><key>Bundles</key><array><string>" + identifier +
         "</string></array></dict></dict>";
}

DirectThread threadWith(std::vector<std::string> usernames) {
  DirectThread thread;
  for (const auto& name : usernames) {
    thread.users.push_back(IGUser::alloc()->initWithUsername(
        name, "", NSURL::URLWithString("file:///pictures/" + name + ".png")));
  }
  thread.messages = {{"hello", false}, {"hi", true}};
  return thread;
}

}  // namespace

using InjectionLoaderTests = DeviceRootFixture;

TEST_F(InjectionLoaderTests, MatchesOnlyFiltersThatNameTheBundleInNameOrder) {
  writeFilter("Zeta", bundlesFilter("com.burbn.instagram"));
  writeFilter("Alpha", bundlesFilter("com.example.notes"));
  writeFilter("NoBundles", "<dict><key>Filter</key><dict/></dict>");
  writeFilter("Damaged", "<dict><key>Filter");

  auto candidates = InjectionLoader::candidatesFor("com.burbn.instagram");

  ASSERT_EQ(candidates.size(), 4u);
  EXPECT_EQ(candidates[0].library, "/Library/MobileSubstrate/DynamicLibraries/Alpha.dylib");
  EXPECT_FALSE(candidates[0].matches);
  EXPECT_EQ(candidates[0].problem, "");
  EXPECT_FALSE(candidates[1].matches);
  EXPECT_NE(candidates[1].problem, "");
  EXPECT_FALSE(candidates[2].matches);
  EXPECT_NE(candidates[2].problem, "");
  EXPECT_TRUE(candidates[3].matches);
  EXPECT_EQ(candidates[3].library, "/Library/MobileSubstrate/DynamicLibraries/Zeta.dylib");
}

TEST_F(InjectionLoaderTests, AMatchingFilterWithoutItsLibraryLoadsNothing) {
  writeFilter("Missing", bundlesFilter("com.burbn.instagram"));

  EXPECT_TRUE(InjectionLoader::loadLibrariesFor("com.burbn.instagram").empty());
  EXPECT_TRUE(InjectionLoader::loadLibrariesFor("com.example.notes").empty());
}

TEST(DirectInbox, SkipsThreadsWithNobodyAndUsersWithoutAName) {
  plist::Value root = plist::Dictionary{
      {"threads",
       plist::Array{
           plist::Dictionary{{"users", plist::Array{}}},
           plist::Dictionary{
               {"users", plist::Array{plist::Dictionary{{"fullName", std::string("No Name")}},
                                      plist::Dictionary{{"username", std::string("ana")}}}},
               {"messages",
                plist::Array{plist::Dictionary{{"text", std::string("hey")}, {"outgoing", true}}}}},
       }}};

  auto threads = DirectInbox::threadsFromPropertyList(root);

  ASSERT_EQ(threads.size(), 1u);
  ASSERT_EQ(threads[0].users.size(), 1u);
  EXPECT_EQ(threads[0].users[0]->username()->utf8(), "ana");
  EXPECT_EQ(threads[0].users[0]->fullName(), "ana");
  EXPECT_EQ(threads[0].users[0]->profilePicURL(), nullptr);
  ASSERT_EQ(threads[0].messages.size(), 1u);
  EXPECT_TRUE(threads[0].messages[0].outgoing);
}

TEST(HostApp, EachAppHasAContainerOfItsOwnShapedLikeTheDevicesPaths) {
  std::string app = HostApp::containerPath("com.burbn.instagram");
  std::string other = HostApp::containerPath("com.example.notes");

  EXPECT_NE(app, other);
  EXPECT_EQ(app, HostApp::containerPath("com.burbn.instagram"));
  const std::string prefix = "/var/mobile/Containers/Data/Application/";
  ASSERT_EQ(app.rfind(prefix, 0), 0u);
  std::string uuid = app.substr(prefix.size());
  ASSERT_EQ(uuid.size(), 36u);
  EXPECT_EQ(uuid[8], '-');
  EXPECT_EQ(uuid[14], '4');
}

using ThreadScreenTests = DeviceRootFixture;

// What injected code looks up by name must be there, reached the way it reaches it.
TEST_F(ThreadScreenTests, OffersByNameWhatInjectedCodeLooksFor) {
  UIViewViewController::install();
  auto thread = IGDirectThreadViewController::alloc()->initWithThread(threadWith({"ana", "ben"}));
  auto window = UIWindow::alloc()->init();
  window->setRootViewController(thread);
  window->makeKeyAndVisible();
  window->layoutIfNeeded();

  Class threadClass = objc_getClass("IGDirectThreadViewController");
  ASSERT_NE(threadClass, nullptr);
  Ivar usersIvar = class_getInstanceVariable(threadClass, "_users");
  ASSERT_NE(usersIvar, nullptr);
  auto users = std::dynamic_pointer_cast<NSArray>(object_getIvar(thread, usersIvar));
  ASSERT_TRUE(users);
  ASSERT_EQ(users->count(), 2u);
  id first = users->objectAtIndex(0);
  auto name = std::dynamic_pointer_cast<NSString>(objc_msgSend<id>(first, SEL("username")));
  auto url = std::dynamic_pointer_cast<NSURL>(objc_msgSend<id>(first, SEL("profilePicURL")));
  ASSERT_TRUE(name && url);
  EXPECT_EQ(name->utf8(), "ana");
  EXPECT_EQ(url->absoluteString(), "file:///pictures/ana.png");

  auto label = thread->titleView()->titleButton()->titleLabel();
  EXPECT_EQ(object_getClass(label), objc_getClass("UIButtonLabel"));
  EXPECT_EQ(object_getClass(label->superview()->superview()),
            objc_getClass("IGDirectLeftAlignedTitleView"));
  id owner = objc_msgSend<id>(label, SEL("viewController"));
  EXPECT_EQ(owner, thread);
  EXPECT_GT(label->frame().size.width, 0);
}

TEST(ViewControllerCategory, AViewOutsideAnyControllerHasNone) {
  UIViewViewController::install();
  auto loose = UIView::alloc()->init();
  auto child = UIView::alloc()->init();
  loose->addSubview(child);

  EXPECT_EQ(objc_msgSend<id>(child, SEL("viewController")), nullptr);
}
