#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSNotification.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "runtime/RuntimeError.h"

namespace {

std::vector<std::string> journal;

// A selector observer that writes "<tag>:<name>" for each notification it hears and can run an
// extra step from inside the callback.
class Listener : public NSObject {
  OBJC_CLASS(Listener, NSObject);

 public:
  explicit Listener(std::string tag) : tag_(std::move(tag)) {}

  void heard(std::shared_ptr<NSNotification> notification) {
    journal.push_back(tag_ + ":" + notification->name());
    lastUserInfo = notification->userInfo();
    if (onHeard) onHeard();
  }
  // Not an observer method: it takes no notification.
  void ping() {}

  std::function<void()> onHeard;
  std::shared_ptr<NSDictionary> lastUserInfo;

 private:
  std::string tag_;
};

}  // namespace

OBJC_CLASS_IMPL(Listener) {
  c.method("heard:", &Listener::heard).method("ping", &Listener::ping);
}

namespace {

class NotificationCenterTest : public ::testing::Test {
 protected:
  void SetUp() override { journal.clear(); }

  std::shared_ptr<Listener> listen(const std::string& tag, const NSNotificationName& name,
                                   const id& object) {
    auto listener = std::make_shared<Listener>(tag);
    center->addObserver(listener, "heard:", name, object);
    return listener;
  }

  std::shared_ptr<NSNotificationCenter> center = std::make_shared<NSNotificationCenter>();
  id sender = std::make_shared<NSObject>();
  id otherSender = std::make_shared<NSObject>();
};

TEST_F(NotificationCenterTest,
       ObserversHearTheirNameAndObjectWithEmptyNameAndNilObjectMatchingAny) {
  auto byNameAndSender = listen("name+sender", "KeyboardWillShow", sender);
  auto byName = listen("name", "KeyboardWillShow", nullptr);
  auto bySender = listen("sender", "", sender);
  auto everything = listen("all", "", nullptr);
  struct Post {
    std::string name;
    id object;
    std::vector<std::string> heard;
  };
  const std::vector<Post> posts = {
      {"KeyboardWillShow",
       sender,
       {"name+sender:KeyboardWillShow", "name:KeyboardWillShow", "sender:KeyboardWillShow",
        "all:KeyboardWillShow"}},
      {"KeyboardWillShow", otherSender, {"name:KeyboardWillShow", "all:KeyboardWillShow"}},
      {"KeyboardWillShow", nullptr, {"name:KeyboardWillShow", "all:KeyboardWillShow"}},
      {"KeyboardWillHide", sender, {"sender:KeyboardWillHide", "all:KeyboardWillHide"}},
      {"KeyboardWillHide", nullptr, {"all:KeyboardWillHide"}},
  };

  for (const Post& post : posts) {
    journal.clear();

    center->postNotificationName(post.name, post.object);

    EXPECT_EQ(journal, post.heard) << post.name << " from " << post.object.get();
  }
}

TEST_F(NotificationCenterTest, AnObserverThatIsGoneIsSkippedAndTheOthersStillHear) {
  auto gone = listen("gone", "PlayerItemDidPlayToEndTime", nullptr);
  auto staying = listen("staying", "PlayerItemDidPlayToEndTime", nullptr);
  std::weak_ptr<Listener> watch = gone;

  gone.reset();
  center->postNotificationName("PlayerItemDidPlayToEndTime", sender);

  EXPECT_TRUE(watch.expired()) << "the centre must not keep a selector observer alive";
  EXPECT_EQ(journal, std::vector<std::string>{"staying:PlayerItemDidPlayToEndTime"});
}

TEST_F(NotificationCenterTest, AnObserverRemovedInsideACallbackIsNotCalledLaterInThatPost) {
  auto first = listen("first", "Tick", nullptr);
  auto second = listen("second", "Tick", nullptr);
  id blockToken;
  blockToken = center->addObserverForName("Tick", nullptr, nullptr, [&](const auto&) {
    journal.push_back("block:Tick");
    center->removeObserver(blockToken);
  });
  first->onHeard = [&] { center->removeObserver(second); };

  center->postNotificationName("Tick", nullptr);
  center->postNotificationName("Tick", nullptr);

  EXPECT_EQ(journal, (std::vector<std::string>{"first:Tick", "block:Tick", "first:Tick"}));
}

TEST_F(NotificationCenterTest, AnObserverAddedInsideACallbackFirstHearsTheNextPost) {
  auto first = listen("first", "Tick", nullptr);
  std::shared_ptr<Listener> late;
  first->onHeard = [&] {
    if (!late) late = listen("late", "Tick", nullptr);
  };

  center->postNotificationName("Tick", nullptr);
  center->postNotificationName("Tick", nullptr);

  EXPECT_EQ(journal, (std::vector<std::string>{"first:Tick", "first:Tick", "late:Tick"}));
}

TEST_F(NotificationCenterTest, ABlockObserverIsKeptByTheCentreUntilItsTokenIsRemoved) {
  auto captured = std::make_shared<int>(0);
  std::weak_ptr<int> watch = captured;
  id token = center->addObserverForName(
      "Tick", sender, dispatch_get_main_queue(),
      [captured](const auto& notification) { journal.push_back("block:" + notification->name()); });
  std::weak_ptr<NSObject> tokenWatch = token;
  captured.reset();

  token.reset();
  center->postNotificationName("Tick", sender);
  bool aliveWhileRegistered = !watch.expired();
  center->removeObserver(tokenWatch.lock());
  center->postNotificationName("Tick", sender);

  EXPECT_EQ(journal, std::vector<std::string>{"block:Tick"});
  EXPECT_TRUE(aliveWhileRegistered);
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(tokenWatch.expired());
}

TEST_F(NotificationCenterTest, RemovingByNameAndObjectLeavesTheObserversOtherRegistrations) {
  auto listener = std::make_shared<Listener>("l");
  center->addObserver(listener, "heard:", "Show", sender);
  center->addObserver(listener, "heard:", "Show", otherSender);
  center->addObserver(listener, "heard:", "Hide", sender);

  center->removeObserver(listener, "Show", sender);
  center->postNotificationName("Show", sender);
  center->postNotificationName("Show", otherSender);
  center->postNotificationName("Hide", sender);
  center->removeObserver(listener, "", sender);
  center->postNotificationName("Hide", sender);

  EXPECT_EQ(journal, (std::vector<std::string>{"l:Show", "l:Hide"}));
}

TEST_F(NotificationCenterTest, AnObjectFilterDoesNotKeepTheObjectAliveAndStopsMatchingWhenItGoes) {
  auto filter = std::make_shared<NSObject>();
  std::weak_ptr<NSObject> watch = filter;
  auto listener = listen("l", "Show", filter);

  filter.reset();
  center->postNotificationName("Show", nullptr);
  center->postNotificationName("Show", sender);

  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(journal.empty());
}

TEST_F(NotificationCenterTest, TheNotificationCarriesItsUserInfoToTheObserver) {
  auto listener = listen("l", "KeyboardWillShow", nullptr);
  auto info =
      NSDictionary::dictionaryWithObject(NSString::string("336"), NSString::string("height"));

  center->postNotificationName("KeyboardWillShow", sender, info);

  EXPECT_EQ(listener->lastUserInfo, info);
}

TEST_F(NotificationCenterTest, BadRegistrationsAndNamelessPostsFailLoudly) {
  auto listener = std::make_shared<Listener>("l");

  EXPECT_THROW(center->addObserver(listener, "ping", "Show", nullptr), objc::RuntimeError);
  EXPECT_THROW(center->addObserver(listener, "missing:", "Show", nullptr), objc::RuntimeError);
  EXPECT_THROW(center->postNotificationName("", sender), std::invalid_argument);
}

}  // namespace
