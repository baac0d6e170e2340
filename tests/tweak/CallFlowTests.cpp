#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ScreenTouches.h"
#include "TemporaryDeviceRoot.h"
#include "ThreadScreenTest.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatStore.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/RunLoop.h"
#include "hook/ThreadTitleHook.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;
using testsupport::onScreen;
using testsupport::screenCentre;

constexpr CGFloat kWidth = 390, kHeight = 844;
constexpr const char* kUser = "maya.lindqvist";
constexpr const char* kHome = "/var/mobile/Containers/Data/Application/CALLFLOW-TEST";

void tap(CGPoint point) {
  testsupport::tapAt(point, 0.01);
}

// The records of a chat file as an independent keyed-archive reader reads them, one JSON line
// each; empty when it cannot read the file.
std::string readByTheIndependentReader(const fs::path& file, const fs::path& out) {
  const std::string command = "python3 '" PARLO_SOURCE_DIR
                              "/tests/tweak/read_chat_archive.py' read '" +
                              file.string() + "' >'" + out.string() + "'";
  if (std::system(command.c_str()) != 0) return "";
  std::ifstream in(out);
  std::stringstream lines;
  lines << in.rdbuf();
  return lines.str();
}

const CGRect kBannerShown = CGRectMake(10, 45, kWidth - 20, 100);
const CGRect kBannerHidden = CGRectMake(10, -100, kWidth - 20, 100);

class CallFlow : public testsupport::ThreadScreenTest {
 protected:
  CallFlow() : ThreadScreenTest("parlo-callflow", kHome) {}

  // A call left open ends with the chat, and its window fades before the window goes.
  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    if (chat && !chat->isBeingDismissed()) chat->dismissVC();
    chat.reset();
    RunLoop::advance(10);
    if (auto left = FakeCallWindow::current()) left->hideWithAnimation(false);
    RunLoop::advance(1);
    ThreadScreenTest::TearDown();
  }

  void open() { openChat(kUser); }

  // What "Start incoming call" runs once its delay is over.
  void ring() {
    chat->beginIncomingCall();
    chat->showCallStatus();
    RunLoop::advance(0.5);
    window->layoutIfNeeded();
  }

  std::shared_ptr<FakeCallWindow> call() const { return chat->fakeCallWindow(); }

  // Hang up, then close the end page.
  void hangUp() {
    auto shown = call();
    ASSERT_TRUE(shown);
    tap(screenCentre(shown->dismissBtn()));
    RunLoop::advance(1.5);
    tap(screenCentre(shown->endCallView()->dismissBtn()));
    RunLoop::advance(0.5);
  }

  std::vector<std::string> types() const {
    std::vector<std::string> found;
    for (const auto& object : *chat->currentMessages()) {
      found.push_back(std::dynamic_pointer_cast<ChatDataModel>(object)->messageType->utf8());
    }
    return found;
  }

  std::shared_ptr<ChatDataModel> record(long row) const {
    return std::dynamic_pointer_cast<ChatDataModel>(
        chat->currentMessages()->objectAtIndex(static_cast<NSUInteger>(row)));
  }

  int activeRecords() const {
    int active = 0;
    for (const auto& object : *chat->currentMessages()) {
      if (std::dynamic_pointer_cast<ChatDataModel>(object)->activeCall) ++active;
    }
    return active;
  }

  bool barShowsCall() const {
    return chat->joinCallView()->alpha() == 1.0 && chat->audioBtn()->alpha() == 0 &&
           chat->videoBtn()->alpha() == 0;
  }
  bool barShowsButtons() const {
    return chat->joinCallView()->alpha() == 0 && chat->audioBtn()->alpha() == 1.0 &&
           chat->videoBtn()->alpha() == 1.0;
  }

  CGPoint rowCentre(long row) {
    window->layoutIfNeeded();
    auto cell = chat->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
    EXPECT_TRUE(cell);
    return cell ? screenCentre(cell) : CGPointZero;
  }

  void snapshot(const std::string& name) {
    const char* dir = getenv("PARLO_CALL_SNAPSHOTS");
    if (!dir) return;
    fs::create_directories(dir);
    for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
      UIApplication::sharedApplication()->setUserInterfaceStyle(style);
      window->layoutIfNeeded();
      RunLoop::advance(0.02);
      const std::string file =
          name + (style == UIUserInterfaceStyleDark ? "-dark.png" : "-light.png");
      EXPECT_TRUE(render::writeScreenPNG((fs::path(dir) / file).string()));
    }
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }
};

using Types = std::vector<std::string>;

// ---- Outgoing ----

TEST_F(CallFlow, PlacingACallAppendsTheActiveStartRecordAtOnceAndShowsThePillAFifthOfASecondLater) {
  open();

  tap(screenCentre(chat->audioBtn()));

  EXPECT_EQ(types(), Types{"OUTGOING-START-CALL"});
  EXPECT_TRUE(record(0)->activeCall);
  EXPECT_TRUE(record(0)->showAvatar);
  EXPECT_FALSE(record(0)->showLike);
  EXPECT_EQ(record(0)->message->utf8(),
            ParloFakeChatViewController::timeWithFormat("HH:mm")->utf8());
  ASSERT_TRUE(call());
  EXPECT_FALSE(call()->isIncomingCall());
  EXPECT_TRUE(call()->isKeyWindow());
  EXPECT_TRUE(barShowsButtons());
  RunLoop::advance(0.2);
  EXPECT_TRUE(barShowsCall());
}

TEST_F(CallFlow, FinishingACallAppendsItsEndedRecordClearsEveryActiveMarkAndBringsTheButtonsBack) {
  struct Case {
    const char* name;
    bool incoming;
    const char* started;
    const char* ended;
  };
  const Case cases[] = {
      {"outgoing", false, "OUTGOING-START-CALL", "OUTGOING-ENDED-CALL"},
      {"incoming", true, "INCOMING-START-CALL", "INCOMING-ENDED-CALL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    open();
    // An older start record left active, as a chat saved during a call holds it.
    chat->currentMessages()->addObject(
        ChatDataModel::alloc()->initWithMessage("09:00", "OUTGOING-START-CALL", true, false, true));
    if (c.incoming) {
      ring();
      tap(screenCentre(chat->incomingCallBanner()->acceptView()));
      RunLoop::advance(0.6);
    } else {
      tap(screenCentre(chat->audioBtn()));
      RunLoop::advance(5);
    }
    ASSERT_TRUE(call());
    EXPECT_EQ(call()->isIncomingCall(), c.incoming);
    std::weak_ptr<FakeCallWindow> weak = call();

    hangUp();

    EXPECT_EQ(types(), (Types{"OUTGOING-START-CALL", c.started, c.ended}));
    EXPECT_EQ(activeRecords(), 0);
    EXPECT_FALSE(call());
    EXPECT_FALSE(chat->isIncomingCall());
    EXPECT_FALSE(chat->didMinimiseFakeCallWindow());
    EXPECT_TRUE(barShowsButtons());
    EXPECT_TRUE(weak.expired());
    chat->dismissVC();
    RunLoop::advance(1);
    chat.reset();
    fs::remove(*DeviceRoot::resolve(
        *ChatStore::storeWithUsername(NSString::string(kUser))->chatFilePath()));
  }
}

// ---- Incoming ----

TEST_F(CallFlow, TheBannerWaitsAboveTheScreenDropsInToRingAndLogsTheCallAFifthOfASecondLater) {
  open();
  auto banner = chat->incomingCallBanner();
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->superview(), chat->view());
  testsupport::expectFrameNear(onScreen(banner), kBannerHidden, "waiting");
  EXPECT_EQ(banner->callerUsername()->text()->utf8(), "Your Username");
  EXPECT_EQ(banner->recipientUsername()->text()->utf8(), kUser);

  chat->beginIncomingCall();
  chat->showCallStatus();
  RunLoop::advance(0.19);
  EXPECT_TRUE(types().empty());
  RunLoop::advance(0.02);

  EXPECT_EQ(types(), Types{"INCOMING-START-CALL"});
  EXPECT_TRUE(record(0)->activeCall);
  RunLoop::advance(0.2);
  testsupport::expectFrameNear(onScreen(banner), kBannerShown, "ringing");
  EXPECT_TRUE(chat->isRinging());
  EXPECT_TRUE(barShowsCall());
  EXPECT_FALSE(call());
  snapshot("call-banner-over-chat");
}

TEST_F(CallFlow, AcceptingRaisesTheBannerAndOpensTheJoinedCallSixTenthsOfASecondLater) {
  open();
  ring();

  tap(screenCentre(chat->incomingCallBanner()->acceptIcon()));
  RunLoop::advance(0.5);
  EXPECT_FALSE(call());
  testsupport::expectFrameNear(onScreen(chat->incomingCallBanner()), kBannerHidden, "raised");
  RunLoop::advance(0.1);

  ASSERT_TRUE(call());
  EXPECT_TRUE(chat->isIncomingCall());
  EXPECT_TRUE(call()->isIncomingCall());
  EXPECT_TRUE(call()->hasJoined());
  EXPECT_TRUE(call()->isKeyWindow());
  EXPECT_TRUE(barShowsCall());
  EXPECT_EQ(types(), Types{"INCOMING-START-CALL"});
}

TEST_F(CallFlow, DecliningByTheRedButtonOrByLettingGoOfADragEndsTheRingingCall) {
  for (bool drag : {false, true}) {
    SCOPED_TRACE(drag ? "drag" : "red button");
    open();
    ring();
    auto banner = chat->incomingCallBanner();

    if (drag) {
      auto app = UIApplication::sharedApplication();
      const CGPoint start = screenCentre(banner);
      app->touchDown(start);
      RunLoop::advance(0.05);
      // The banner follows the finger, its centre no lower than 225.
      const struct {
        CGFloat finger;
        CGFloat centre;
      } steps[] = {{start.y + 40, start.y + 40},
                   {start.y + 80, start.y + 80},
                   {start.y + 200, start.y + 80},
                   {start.y + 20, start.y + 20}};
      for (const auto& step : steps) {
        app->touchMove(CGPointMake(start.x + 30, step.finger));
        RunLoop::advance(0.05);
        EXPECT_NEAR(banner->center().y, step.centre, 1) << step.finger;
        EXPECT_EQ(banner->center().x, kWidth / 2);
        EXPECT_LE(banner->center().y, 225);
      }
      EXPECT_TRUE(chat->isRinging());
      app->touchUp(CGPointMake(start.x + 30, start.y + 20));
      RunLoop::advance(0.01);
    } else {
      tap(screenCentre(banner->cancelView()));
    }

    EXPECT_EQ(types(), (Types{"INCOMING-START-CALL", "INCOMING-ENDED-CALL"}));
    EXPECT_EQ(activeRecords(), 0);
    EXPECT_FALSE(chat->isRinging());
    EXPECT_FALSE(chat->isIncomingCall());
    EXPECT_TRUE(barShowsButtons());
    RunLoop::advance(1);
    testsupport::expectFrameNear(onScreen(banner), kBannerHidden, "raised");
    EXPECT_FALSE(call());
    chat->dismissVC();
    RunLoop::advance(1);
    chat.reset();
    fs::remove(*DeviceRoot::resolve(
        *ChatStore::storeWithUsername(NSString::string(kUser))->chatFilePath()));
  }
}

TEST_F(CallFlow, LettingGoOfTheBannerBelowItsLimitStillDeclines) {
  open();
  ring();
  auto app = UIApplication::sharedApplication();
  const CGPoint start = screenCentre(chat->incomingCallBanner());
  app->touchDown(start);
  RunLoop::advance(0.05);
  app->touchMove(CGPointMake(start.x, start.y + 300));
  RunLoop::advance(0.05);
  app->touchUp(CGPointMake(start.x, start.y + 300));
  RunLoop::advance(0.5);

  EXPECT_FALSE(chat->isRinging());
  EXPECT_EQ(types().back(), "INCOMING-ENDED-CALL");
  testsupport::expectFrameNear(onScreen(chat->incomingCallBanner()), kBannerHidden, "raised");
}

TEST_F(CallFlow, AnIncomingCallWhileOneRingsOrRunsIsLetGo) {
  open();
  ring();
  ring();
  EXPECT_EQ(types(), Types{"INCOMING-START-CALL"});

  tap(screenCentre(chat->incomingCallBanner()->acceptView()));
  RunLoop::advance(1);
  auto first = call();
  ring();
  RunLoop::advance(1);
  EXPECT_EQ(call(), first);
  EXPECT_FALSE(chat->isRinging());
  testsupport::expectFrameNear(onScreen(chat->incomingCallBanner()), kBannerHidden, "stays up");
  EXPECT_EQ(types(), Types{"INCOMING-START-CALL"});

  // An outgoing call's window counts too.
  hangUp();
  tap(screenCentre(chat->audioBtn()));
  ring();
  EXPECT_FALSE(chat->isRinging());
  EXPECT_EQ(types().back(), "OUTGOING-START-CALL");
}

// ---- Minimised ----

TEST_F(CallFlow, AMinimisedCallComesBackFromThePillOrItsActiveRecordButNotFromAnOldOne) {
  open();
  chat->currentMessages()->addObject(
      ChatDataModel::alloc()->initWithMessage("09:00", "OUTGOING-START-CALL", true, false, false));
  chat->tableView()->reloadData();
  // With no call, the pill does nothing (and is hidden).
  chat->joinCallTapped();

  tap(screenCentre(chat->audioBtn()));
  RunLoop::advance(5.5);
  tap(screenCentre(call()->minimiseBtn()));
  RunLoop::advance(0.5);
  window->layoutIfNeeded();
  ASSERT_TRUE(chat->didMinimiseFakeCallWindow());
  testsupport::expectFrameNear(onScreen(call()->baseView()),
                               CGRectMake(kWidth - 120, 110, 110, 200), "tile");

  // The chat under the tile takes the touches: a message sent from the input bar.
  chat->sendTextMessageFromSender(NSString::string("one moment"));
  const CGPoint old = rowCentre(0);
  const CGPoint active = rowCentre(1);
  snapshot("call-minimised-over-chat");

  tap(old);
  RunLoop::advance(0.5);
  EXPECT_TRUE(chat->didMinimiseFakeCallWindow());

  tap(screenCentre(chat->joinCallView()));
  RunLoop::advance(0.5);
  EXPECT_FALSE(chat->didMinimiseFakeCallWindow());
  window->layoutIfNeeded();
  testsupport::expectFrameNear(onScreen(call()->baseView()), CGRectMake(0, 0, kWidth, kHeight),
                               "back from pill");

  tap(screenCentre(call()->minimiseBtn()));
  RunLoop::advance(0.5);
  ASSERT_TRUE(chat->didMinimiseFakeCallWindow());
  tap(active);
  RunLoop::advance(0.5);
  EXPECT_FALSE(chat->didMinimiseFakeCallWindow());
}

TEST_F(CallFlow, TheChatUnderTheTileTakesTapsAndTyping) {
  open();
  tap(screenCentre(chat->audioBtn()));
  RunLoop::advance(5.5);
  tap(screenCentre(call()->minimiseBtn()));
  RunLoop::advance(0.5);

  tap(screenCentre(chat->chatInputView()->textView()));
  RunLoop::advance(0.5);

  EXPECT_TRUE(chat->chatInputView()->textView()->isFirstResponder());
}

// ---- Closing the chat ----

TEST_F(CallFlow, ClosingTheChatEndsItsCallOrDeclinesTheRingingOneAndSavesTheEnd) {
  struct Case {
    const char* name;
    bool incoming;
    bool minimised;
    Types saved;
  };
  const Case cases[] = {
      {"during an outgoing call", false, false, {"OUTGOING-START-CALL", "OUTGOING-ENDED-CALL"}},
      {"with the call minimised", false, true, {"OUTGOING-START-CALL", "OUTGOING-ENDED-CALL"}},
      {"while ringing", true, false, {"INCOMING-START-CALL", "INCOMING-ENDED-CALL"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    open();
    std::weak_ptr<FakeCallWindow> weak;
    if (c.incoming) {
      ring();
    } else {
      tap(screenCentre(chat->audioBtn()));
      RunLoop::advance(5.5);
      weak = call();
      if (c.minimised) {
        tap(screenCentre(call()->minimiseBtn()));
        RunLoop::advance(0.5);
      }
    }
    std::weak_ptr<ParloFakeChatViewController> screen = chat;

    chat->dismissVC();
    chat.reset();
    RunLoop::advance(2);

    EXPECT_TRUE(screen.expired());
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(FakeCallWindow::current());
    auto saved = ChatStore::storeWithUsername(NSString::string(kUser))->loadChatData();
    Types found;
    for (const auto& object : *saved) {
      auto model = std::dynamic_pointer_cast<ChatDataModel>(object);
      found.push_back(model->messageType->utf8());
      EXPECT_FALSE(model->activeCall);
    }
    EXPECT_EQ(found, c.saved);
    const fs::path file = *DeviceRoot::resolve(
        *ChatStore::storeWithUsername(NSString::string(kUser))->chatFilePath());
    const std::string lines = readByTheIndependentReader(file, device_.path() / "records.jsonl");
    EXPECT_NE(lines.find("\"messageType\": \"" + c.saved.back() + "\""), std::string::npos)
        << lines;
    EXPECT_EQ(lines.find("\"activeCall\": true"), std::string::npos) << lines;
    fs::remove(*DeviceRoot::resolve(
        *ChatStore::storeWithUsername(NSString::string(kUser))->chatFilePath()));
  }
}

TEST_F(CallFlow, AnIncomingCallDueAfterTheChatClosedRingsNowhere) {
  open();
  auto screen = chat;
  chat->dismissVC();
  chat.reset();
  RunLoop::advance(1);

  // As the options menu's scheduled step does, holding the screen.
  screen->beginIncomingCall();
  screen->showCallStatus();
  RunLoop::advance(2);

  EXPECT_FALSE(screen->isRinging());
  EXPECT_EQ(screen->currentMessages()->count(), 0u);
  EXPECT_FALSE(screen->fakeCallWindow());
  EXPECT_FALSE(FakeCallWindow::current());
}

TEST_F(CallFlow, ClosingInTheMomentAfterAcceptingMakesNoWindow) {
  open();
  ring();
  tap(screenCentre(chat->incomingCallBanner()->acceptView()));
  auto screen = chat;
  chat->dismissVC();
  chat.reset();
  RunLoop::advance(2);

  EXPECT_FALSE(screen->fakeCallWindow());
  EXPECT_FALSE(FakeCallWindow::current());
  EXPECT_EQ(screen->currentMessages()->count(), 2u);
}

}  // namespace
