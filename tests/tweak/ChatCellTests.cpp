#include <gtest/gtest.h>

#include "ChatCellTable.h"
#include "chat/ChatBubbleLayout.h"
#include "chat/UIView+RemoveAllConstraints.h"
#include "foundation/NSString.h"
#include "runtime/objc.h"

using namespace chatcells;

// Counts its layout passes.
class CountedIncomingCell : public IncomingChatCell {
  OBJC_CLASS(CountedIncomingCell, IncomingChatCell);

 public:
  void layoutSubviews() override {
    ++passes;
    IncomingChatCell::layoutSubviews();
  }
  int passes = 0;
};

OBJC_CLASS_IMPL(CountedIncomingCell) {}

namespace {

// Layout lands on whole device pixels (a third of a point), each edge on its own.
constexpr double kPixel = 0.34;

const char* const kLong =
    "Are we still meeting at the café tomorrow morning, or did the plan change again after "
    "everyone said they were running late? Let me know so I can book the table 🙏";

CGSize measured(const char* text) {
  return ChatRowHeights::measureMessageText(NSString::string(text), kWidth - 120);
}

void expectRect(CGRect actual, CGRect expected, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_NEAR(CGRectGetMinX(actual), CGRectGetMinX(expected), kPixel);
  EXPECT_NEAR(CGRectGetMaxX(actual), CGRectGetMaxX(expected), kPixel);
  EXPECT_NEAR(CGRectGetMinY(actual), CGRectGetMinY(expected), kPixel);
  EXPECT_NEAR(CGRectGetMaxY(actual), CGRectGetMaxY(expected), kPixel);
}

class ChatCells : public ChatCellTable {};

TEST_F(ChatCells, AnIncomingBubbleHugsItsTextFromTheLeftWithTheAvatarAndPillBesideIt) {
  for (const char* text : {"Hi!", "ok 👍🏽 see you tonight", kLong}) {
    SCOPED_TRACE(text);
    const CGSize t = measured(text);
    show({record(ChatMessageType::Incoming, text, true)});
    auto cell = cellAt<IncomingChatCell>(0);
    ASSERT_TRUE(cell);

    EXPECT_EQ(cell->textLabel()->frame(), CGRectMake(63, 10, kWidth - 120, t.height));
    expectRect(inCell(cell->baseView(), cell), CGRectMake(48, -2, t.width + 30, t.height + 24),
               "bubble");
    expectRect(inCell(cell->avatarImage(), cell), CGRectMake(8, t.height - 8, 30, 30), "avatar");
    expectRect(inCell(cell->likeView(), cell), CGRectMake(52, t.height + 10, 34, 28), "pill");
    const CGRect heart = inCell(cell->likeLabel(), cell);
    EXPECT_NEAR(CGRectGetMidX(heart), 52 + 17, kPixel);
    EXPECT_NEAR(CGRectGetMidY(heart), t.height + 10 + 14, kPixel);
    EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)).size.height,
                     t.height + 30 + 16);
  }
}

TEST_F(ChatCells, AnOutgoingBubbleEndsTwentyPointsFromTheRightEdge) {
  for (const char* text : {"Hi!", kLong}) {
    SCOPED_TRACE(text);
    const CGSize t = measured(text);
    show({record(ChatMessageType::Outgoing, text, true)});
    auto cell = cellAt<OutgoingChatCell>(0);
    ASSERT_TRUE(cell);

    EXPECT_DOUBLE_EQ(cell->textLabel()->frame().origin.x, kWidth - t.width - 35);
    expectRect(inCell(cell->baseView(), cell),
               CGRectMake(kWidth - 50 - t.width, -2, t.width + 30, t.height + 24), "bubble");
    expectRect(inCell(cell->likeView(), cell),
               CGRectMake(kWidth - 46 - t.width, t.height + 10, 34, 28), "pill");
  }
}

TEST_F(ChatCells, TheLikePillOverlapsTheBubblesLowerLeftCornerAndTheRowMakesRoomForIt) {
  const CGSize t = measured("Liked or not");
  show({record(ChatMessageType::Outgoing, "Liked or not", true),
        record(ChatMessageType::Outgoing, "Liked or not", false),
        record(ChatMessageType::Incoming, "Liked or not", true)});

  for (long row : {0L, 2L}) {
    auto cell = std::static_pointer_cast<UITableViewCell>(
        table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0)));
    auto bubble = inCell(objc_msgSend<std::shared_ptr<UIView>>(id(cell), "baseView"), cell);
    auto pill = inCell(objc_msgSend<std::shared_ptr<UIView>>(id(cell), "likeView"), cell);
    EXPECT_NEAR(CGRectGetMaxY(bubble) - CGRectGetMinY(pill), 12, kPixel) << "row " << row;
    EXPECT_NEAR(CGRectGetMinX(pill) - CGRectGetMinX(bubble), 4, kPixel) << "row " << row;
    EXPECT_NEAR(CGRectGetMaxY(pill) - CGRectGetMaxY(bubble), 16, kPixel) << "row " << row;
  }
  EXPECT_EQ(cellAt<OutgoingChatCell>(0)->likeView()->alpha(), 1);
  EXPECT_EQ(cellAt<OutgoingChatCell>(1)->likeView()->alpha(), 0);
  EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)).size.height -
                       table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(1, 0)).size.height,
                   14);
  EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(1, 0)).size.height,
                   t.height + 32);
}

TEST_F(ChatCells, AnEmptyMessageIsABubbleOfItsPaddingOnly) {
  show({record(ChatMessageType::Incoming, ""), record(ChatMessageType::Outgoing, "")});

  expectRect(inCell(cellAt<IncomingChatCell>(0)->baseView(), cellAt<IncomingChatCell>(0)),
             CGRectMake(48, -2, 30, 24), "incoming");
  expectRect(inCell(cellAt<OutgoingChatCell>(1)->baseView(), cellAt<OutgoingChatCell>(1)),
             CGRectMake(kWidth - 50, -2, 30, 24), "outgoing");
}

TEST_F(ChatCells, ALongMessageWrapsWithinTheTextWidthAndTheBubbleAndRowGrowWithIt) {
  const CGSize oneLine = measured("Hi!");
  const CGSize t = measured(kLong);
  ASSERT_GT(t.height, 2 * oneLine.height);
  ASSERT_LE(t.width, kWidth - 120);

  show({record(ChatMessageType::Incoming, kLong)});

  auto cell = cellAt<IncomingChatCell>(0);
  EXPECT_NEAR(inCell(cell->baseView(), cell).size.height, t.height + 24, kPixel);
  EXPECT_LE(CGRectGetMaxX(inCell(cell->baseView(), cell)), 78 + kWidth - 120 + kPixel);
  EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)).size.height,
                   t.height + 32);
}

TEST_F(ChatCells, AnIncomingMessageWithoutItsAvatarKeepsItsInsetAndTheAvatarsPlace) {
  show({record(ChatMessageType::Incoming, "first", false, false),
        record(ChatMessageType::Incoming, "second", false, true)});

  auto hidden = cellAt<IncomingChatCell>(0);
  EXPECT_EQ(hidden->avatarImage()->alpha(), 0);
  EXPECT_NEAR(inCell(hidden->baseView(), hidden).origin.x, 48, kPixel);
  EXPECT_NEAR(inCell(hidden->avatarImage(), hidden).origin.x, 8, kPixel);
  EXPECT_EQ(cellAt<IncomingChatCell>(1)->avatarImage()->alpha(), 1);
}

TEST_F(ChatCells, RepeatedLayoutPassesKeepOneSetOfConstraints) {
  show({record(ChatMessageType::Incoming, "Hello there"),
        record(ChatMessageType::Outgoing, "General Kenobi")});
  auto incoming = cellAt<IncomingChatCell>(0);
  auto outgoing = cellAt<OutgoingChatCell>(1);
  const size_t incomingCount = constraintsUnder(*incoming->contentView());
  const size_t outgoingCount = constraintsUnder(*outgoing->contentView());
  const CGRect bubble = inCell(incoming->baseView(), incoming);

  for (int pass = 0; pass < 20; ++pass) {
    incoming->setNeedsLayout();
    outgoing->setNeedsLayout();
    window->layoutIfNeeded();
  }

  // Bubble, avatar and pill: 4 + 4 + 4 + 2 for the incoming cell, 10 for the outgoing one.
  EXPECT_EQ(incomingCount, 14u);
  EXPECT_EQ(outgoingCount, 10u);
  EXPECT_EQ(constraintsUnder(*incoming->contentView()), incomingCount);
  EXPECT_EQ(constraintsUnder(*outgoing->contentView()), outgoingCount);
  EXPECT_EQ(inCell(incoming->baseView(), incoming), bubble);
}

TEST(ChatCellLayout, ASettledCellIsLaidOutOncePerRequest) {
  auto root = UIView::alloc()->initWithFrame(CGRectMake(0, 0, kWidth, 200));
  auto cell = CountedIncomingCell::alloc();
  cell->initWithStyle(UITableViewCellStyleDefault, "IncomingCell");
  cell->setFrame(CGRectMake(0, 0, kWidth, 80));
  cell->textLabel()->setText("Counting passes");
  root->addSubview(cell);
  root->layoutIfNeeded();
  cell->passes = 0;

  cell->setNeedsLayout();
  root->layoutIfNeeded();
  cell->textLabel()->setText("A longer text makes a wider bubble");
  cell->setNeedsLayout();
  root->layoutIfNeeded();

  // A pass that moved something may take one more to settle; never the bound on passes.
  EXPECT_LE(cell->passes, 4);
  const CGSize t = measured("A longer text makes a wider bubble");
  expectRect(inCell(cell->baseView(), cell), CGRectMake(48, -2, t.width + 30, t.height + 24),
             "bubble");
}

TEST_F(ChatCells, AReusedCellKeepsNoConstraintOfItsPreviousRecord) {
  show({record(ChatMessageType::Incoming, kLong, true), record(ChatMessageType::Outgoing, kLong)});
  auto incoming = cellAt<IncomingChatCell>(0);
  auto outgoing = cellAt<OutgoingChatCell>(1);
  const size_t incomingCount = constraintsUnder(*incoming->contentView());
  const size_t outgoingCount = constraintsUnder(*outgoing->contentView());

  const CGSize t = measured("short");
  show({record(ChatMessageType::Incoming, "short"), record(ChatMessageType::Outgoing, "short")});

  ASSERT_EQ(cellAt<IncomingChatCell>(0), incoming) << "the cell was not reused";
  ASSERT_EQ(cellAt<OutgoingChatCell>(1), outgoing) << "the cell was not reused";
  EXPECT_EQ(constraintsUnder(*incoming->contentView()), incomingCount);
  EXPECT_EQ(constraintsUnder(*outgoing->contentView()), outgoingCount);
  expectRect(inCell(incoming->baseView(), incoming),
             CGRectMake(48, -2, t.width + 30, t.height + 24), "incoming");
  expectRect(inCell(outgoing->baseView(), outgoing),
             CGRectMake(kWidth - 50 - t.width, -2, t.width + 30, t.height + 24), "outgoing");
}

TEST_F(ChatCells, PrepareForReuseClearsTheRecordAndLeavesTheViewsFreeToBePlacedAgain) {
  show({record(ChatMessageType::Incoming, "bye"), record(ChatMessageType::TimeHeader, "Today")});
  auto incoming = cellAt<IncomingChatCell>(0);
  auto time = cellAt<ChatTimeCell>(1);
  rows->avatar = UIImage::imageWithContentsOfFile(std::string(kAssets) + "call.png");

  incoming->prepareForReuse();
  time->prepareForReuse();

  EXPECT_FALSE(incoming->textLabel()->text());
  EXPECT_FALSE(incoming->avatarImage()->image());
  EXPECT_EQ(constraintsUnder(*incoming->contentView()), 0u);
  EXPECT_TRUE(incoming->baseView()->translatesAutoresizingMaskIntoConstraints());
  EXPECT_FALSE(time->timeLabel()->text());
  EXPECT_EQ(constraintsUnder(*time->contentView()), 2u) << "the time label stays centred";
}

TEST_F(ChatCells, ATimeHeaderIsACentredGreyLineInAFortyPointRow) {
  show({record(ChatMessageType::TimeHeader, "Yesterday 21:04")});
  auto cell = cellAt<ChatTimeCell>(0);

  const CGRect label = inCell(cell->timeLabel(), cell);
  EXPECT_NEAR(CGRectGetMidX(label), kWidth / 2, kPixel);
  EXPECT_NEAR(CGRectGetMidY(label), 20, kPixel);
  EXPECT_EQ(cell->timeLabel()->text()->UTF8String(), std::string("Yesterday 21:04"));
  EXPECT_EQ(cell->timeLabel()->font()->pointSize(), 11);
  EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)).size.height,
                   40);
  EXPECT_EQ(ChatTimeCell::alloc()
                ->initWithStyle(UITableViewCellStyleDefault, "ChatTimeCell")
                ->timeLabel()
                ->text()
                ->UTF8String(),
            std::string("17:16"));
}

TEST_F(ChatCells, RowHeightsFollowTheRecordType) {
  struct Case {
    std::string_view type;
    bool liked;
    CGFloat expected;
  };
  const CGFloat th = measured("How tall?").height;
  const std::vector<Case> cases = {
      {ChatMessageType::Outgoing, false, th + 32},
      {ChatMessageType::Incoming, true, th + 46},
      {ChatMessageType::TimeHeader, true, 40},
      {ChatMessageType::OutgoingStartCall, false, 73},
      {ChatMessageType::IncomingEndedCall, false, 73},
      {"SOMETHING-NEW", false, 73},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(ChatRowHeights::heightForRecord(*record(c.type, "How tall?", c.liked), kWidth),
                     c.expected)
        << c.type;
  }
  EXPECT_DOUBLE_EQ(ChatRowHeights::heightForMessage(nullptr, false, kWidth), 32);
}

TEST_F(ChatCells, SwitchingTheAppearanceRepaintsTheLayerBorders) {
  show(
      {record(ChatMessageType::Incoming, "Ring", true), record(ChatMessageType::Outgoing, "Ring")});
  auto incoming = cellAt<IncomingChatCell>(0);
  auto outgoing = cellAt<OutgoingChatCell>(1);
  const CGColor lightGrey{0.86, 0.86, 0.86, 1}, darkGrey{0.15, 0.15, 0.15, 1};
  const CGColor white{1, 1, 1, 1}, black{0, 0, 0, 1};
  ASSERT_EQ(incoming->baseView()->layer()->borderColor(), lightGrey);

  window->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);

  EXPECT_EQ(incoming->baseView()->layer()->borderColor(), darkGrey);
  EXPECT_EQ(incoming->avatarImage()->layer()->borderColor(), darkGrey);
  EXPECT_EQ(incoming->likeView()->layer()->borderColor(), black);
  EXPECT_EQ(outgoing->likeView()->layer()->borderColor(), black);
  EXPECT_EQ(outgoing->baseView()->layer()->borderWidth(), 0);

  window->setOverrideUserInterfaceStyle(UIUserInterfaceStyleLight);

  EXPECT_EQ(incoming->baseView()->layer()->borderColor(), lightGrey);
  EXPECT_EQ(incoming->likeView()->layer()->borderColor(), white);
}

TEST_F(ChatCells, TheBubblesArePaintedInThePalettesFillsInBothAppearances) {
  rows->avatar = UIImage::imageWithContentsOfFile(std::string(kAssets) + "call.png");
  const std::vector<std::shared_ptr<ChatDataModel>> records = {
      record(ChatMessageType::TimeHeader, "Today 09:41"),
      record(ChatMessageType::Incoming, "Hey! Are you coming tonight?", false, false),
      record(ChatMessageType::Incoming, "Bring snacks 🍿", true, true),
      record(ChatMessageType::Outgoing, "Of course"),
      record(ChatMessageType::Outgoing, kLong, true),
      record(ChatMessageType::Outgoing, ""),
  };
  for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
    const bool dark = style == UIUserInterfaceStyleDark;
    window->setOverrideUserInterfaceStyle(style);
    show(records);

    auto outgoing = cellAt<OutgoingChatCell>(3);
    const CGRect bubble = inCell(outgoing->baseView(), outgoing);
    const Pixel fill = pixelAt(outgoing, {CGRectGetMaxX(bubble) - 6, CGRectGetMidY(bubble)});
    EXPECT_NEAR(fill.red, dark ? 38 : 240, 1);
    EXPECT_EQ(fill.alpha, 255);
    auto incoming = cellAt<IncomingChatCell>(1);
    const CGRect inBubble = inCell(incoming->baseView(), incoming);
    const Pixel paper = pixelAt(incoming, {CGRectGetMaxX(inBubble) - 6, CGRectGetMidY(inBubble)});
    EXPECT_EQ(paper.red, dark ? 0 : 255);

    const std::vector<std::string> names = {"time",     "incoming",       "incoming-liked",
                                            "outgoing", "outgoing-liked", "outgoing-empty"};
    for (size_t row = 0; row < names.size(); ++row) {
      auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(long(row), 0));
      snapshot(cell, "message-" + names[row] + (dark ? "-dark" : "-light"));
    }
    table->setBackgroundColor(UIColor::systemBackgroundColor());
    snapshot(table, std::string("messages-") + (dark ? "dark" : "light"));
  }
}

TEST(ChatCellClasses, EachCellClassIsFoundByNameAsATableCell) {
  for (const char* name :
       {"IncomingChatCell", "OutgoingChatCell", "ChatTimeCell", "IncomingCallStartedCell",
        "IncomingCallEndedCell", "OutgoingCallStartedCell", "OutgoingCallEndedCell"}) {
    Class cls = objc_getClass(name);
    ASSERT_TRUE(cls) << name;
    bool isCell = false;
    for (Class c = cls; c; c = class_getSuperclass(c))
      isCell = isCell || c == UITableViewCell::classObject();
    EXPECT_TRUE(isCell) << name;
  }
}

}  // namespace
