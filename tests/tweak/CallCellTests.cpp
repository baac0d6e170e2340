#include <gtest/gtest.h>

#include "ChatCellTable.h"
#include "foundation/NSString.h"

using namespace chatcells;

namespace {

constexpr double kPixel = 0.34;

std::string textOf(const std::shared_ptr<UILabel>& label) {
  return label->text() ? label->text()->UTF8String() : "";
}

class CallCells : public ChatCellTable {
 protected:
  std::shared_ptr<CallRecordCell> callCellAt(long row) { return cellAt<CallRecordCell>(row); }
};

TEST_F(CallCells, EachRecordTypeGetsItsCardSizedAndPlacedOnItsSide) {
  struct Case {
    std::string_view type;
    const char* cls;
    CGFloat width;
    bool incoming;
    const char* title;
  };
  const std::vector<Case> cases = {
      {ChatMessageType::OutgoingStartCall, "OutgoingCallStartedCell", 196, false,
       "Audio call started"},
      {ChatMessageType::OutgoingEndedCall, "OutgoingCallEndedCell", 189, false, "Audio call ended"},
      {ChatMessageType::IncomingStartCall, "IncomingCallStartedCell", 196, true,
       "Audio call started"},
      {ChatMessageType::IncomingEndedCall, "IncomingCallEndedCell", 189, true, "Audio call ended"},
  };
  std::vector<std::shared_ptr<ChatDataModel>> records;
  for (const auto& c : cases) records.push_back(record(c.type, "12:30"));
  show(records);

  for (long row = 0; row < long(cases.size()); ++row) {
    const auto& c = cases[size_t(row)];
    SCOPED_TRACE(c.cls);
    auto cell = callCellAt(row);
    ASSERT_TRUE(cell);
    EXPECT_STREQ(object_getClassName(cell), c.cls);
    EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0)).size.height,
                     73);

    const CGRect card = inCell(cell->baseView(), cell);
    EXPECT_EQ(card.size, CGSizeMake(c.width, 64));
    EXPECT_EQ(card.origin.y, 0);
    if (c.incoming) {
      EXPECT_EQ(card.origin.x, 50);
      auto avatar = objc_msgSend<std::shared_ptr<UIImageView>>(id(cell), "avatarImage");
      EXPECT_EQ(inCell(avatar, cell), CGRectMake(10, 34, 30, 30));
    } else {
      EXPECT_EQ(CGRectGetMaxX(card), kWidth - 20);
      EXPECT_FALSE(class_respondsToSelector(object_getClass(cell), "avatarImage"));
    }

    // The plate is centred on the card's height, 14 in; the lines sit 10 right of it, the title
    // on its top edge and the subtitle on its bottom edge.
    const CGRect plate = inCell(cell->iconView(), cell);
    EXPECT_EQ(plate, CGRectMake(card.origin.x + 14, 14, 36, 36));
    EXPECT_EQ(inCell(cell->iconImage(), cell), CGRectMake(card.origin.x + 22, 22, 20, 20));
    const CGRect title = inCell(cell->titleLabel(), cell);
    const CGRect time = inCell(cell->timeLabel(), cell);
    EXPECT_EQ(title.origin, CGPointMake(CGRectGetMaxX(plate) + 10, 14));
    EXPECT_EQ(time.origin.x, CGRectGetMaxX(plate) + 10);
    EXPECT_NEAR(CGRectGetMaxY(time), 50, kPixel);
    EXPECT_GT(title.size.width, 0);
    EXPECT_EQ(textOf(cell->titleLabel()), c.title);
    EXPECT_EQ(cell->titleLabel()->font()->weight(), UIFontWeightSemibold);
    EXPECT_EQ(textOf(cell->timeLabel()), "12:30");
    EXPECT_TRUE(cell->iconImage()->image()) << "the icon is loaded from the asset directory";
  }
}

TEST_F(CallCells, AStartedCardOfARunningCallOffersToJoinAndTurnsGreyWhenItEnds) {
  show({record(ChatMessageType::OutgoingStartCall, "09:15", false, true, true)});
  auto cell = callCellAt(0);
  EXPECT_EQ(textOf(cell->timeLabel()), "Tap to join");

  rows->records[0]->activeCall = false;
  table->reloadData();
  window->layoutIfNeeded();

  ASSERT_EQ(callCellAt(0), cell);
  EXPECT_EQ(textOf(cell->timeLabel()), "09:15");
  const auto grey = cell->iconView()->backgroundColor()->resolvedColorWithTraitCollection(
      cell->traitCollection());
  EXPECT_EQ(grey->CGColor(), (CGColor{0.45, 0.45, 0.45, 1}));
}

TEST_F(CallCells, AReusedCardNeverShowsThePreviousSubtitle) {
  show({record(ChatMessageType::IncomingEndedCall, "23:59")});
  auto cell = callCellAt(0);

  cell->prepareForReuse();

  EXPECT_EQ(textOf(cell->timeLabel()), "");
  EXPECT_EQ(textOf(cell->titleLabel()), "Audio call ended");
}

TEST_F(CallCells, AMissingIconLeavesThePlateEmptyAndTheCardWhole) {
  std::filesystem::remove(*DeviceRoot::resolve(std::string(kAssets) + "outgoing-call.png"));
  std::filesystem::remove(*DeviceRoot::resolve(std::string(kAssets) + "outgoing-call@3x.png"));

  show({record(ChatMessageType::OutgoingEndedCall, "10:00")});

  auto cell = callCellAt(0);
  EXPECT_FALSE(cell->iconImage()->image());
  EXPECT_EQ(inCell(cell->baseView(), cell).size, CGSizeMake(189, 64));
}

TEST_F(CallCells, SwitchingTheAppearanceRepaintsAnIncomingCardsBorderAndAvatarRing) {
  show({record(ChatMessageType::IncomingStartCall, "08:00"),
        record(ChatMessageType::OutgoingStartCall, "08:01")});
  auto incoming = cellAt<IncomingCallStartedCell>(0);
  auto outgoing = callCellAt(1);

  window->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);

  const CGColor darkGrey{0.15, 0.15, 0.15, 1};
  EXPECT_EQ(incoming->baseView()->layer()->borderColor(), darkGrey);
  EXPECT_EQ(incoming->avatarImage()->layer()->borderColor(), darkGrey);
  EXPECT_EQ(incoming->baseView()->layer()->borderWidth(), 1.2);
  EXPECT_EQ(outgoing->baseView()->layer()->borderWidth(), 0);
}

TEST_F(CallCells, TheCardsArePaintedInThePalettesColoursInBothAppearances) {
  rows->avatar = UIImage::imageWithContentsOfFile(std::string(kAssets) + "call.png");
  const std::vector<std::shared_ptr<ChatDataModel>> records = {
      record(ChatMessageType::OutgoingStartCall, "21:40", false, true, true),
      record(ChatMessageType::OutgoingStartCall, "21:40"),
      record(ChatMessageType::OutgoingEndedCall, "21:52"),
      record(ChatMessageType::IncomingStartCall, "22:05", false, true, true),
      record(ChatMessageType::IncomingStartCall, "22:05"),
      record(ChatMessageType::IncomingEndedCall, "22:06"),
  };
  const std::vector<std::string> names = {"outgoing-started-active", "outgoing-started",
                                          "outgoing-ended",          "incoming-started-active",
                                          "incoming-started",        "incoming-ended"};
  for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
    const bool dark = style == UIUserInterfaceStyleDark;
    window->setOverrideUserInterfaceStyle(style);
    show(records);

    for (long row = 0; row < long(records.size()); ++row) {
      auto cell = callCellAt(row);
      const CGRect plate = inCell(cell->iconView(), cell);
      // Inside the plate's circle, clear of the 20-point icon.
      const Pixel pixel = pixelAt(cell, {CGRectGetMinX(plate) + 3, CGRectGetMidY(plate)});
      const bool active = records[size_t(row)]->activeCall;
      const int grey = dark ? 168 : 115;
      EXPECT_NEAR(pixel.red, active ? 0 : grey, 1) << names[size_t(row)];
      EXPECT_NEAR(pixel.green, active ? 199 : grey, 1) << names[size_t(row)];
      snapshot(cell, "call-" + names[size_t(row)] + (dark ? "-dark" : "-light"));
    }
    table->setBackgroundColor(UIColor::systemBackgroundColor());
    snapshot(table, std::string("calls-") + (dark ? "dark" : "light"));
  }
}

}  // namespace
