#pragma once

// A chat table for the cell tests: a window with a 390-point table whose rows are configured the
// way the chat screen configures them, in a temporary device root holding the call icons.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "chat/CallRecordCell.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatRowHeights.h"
#include "chat/ChatTimeCell.h"
#include "chat/IncomingCallEndedCell.h"
#include "chat/IncomingCallStartedCell.h"
#include "chat/IncomingChatCell.h"
#include "chat/OutgoingCallEndedCell.h"
#include "chat/OutgoingCallStartedCell.h"
#include "chat/OutgoingChatCell.h"
#include "chat/UIColor+Appearance.h"
#include "foundation/DeviceRoot.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIImage.h"
#include "uikit/UITableView.h"
#include "uikit/UIWindow.h"

namespace chatcells {

namespace fs = std::filesystem;

inline constexpr CGFloat kWidth = 390;
using testsupport::kAssets;

template <class Cell>
std::shared_ptr<Cell> dequeue(const std::shared_ptr<UITableView>& table, const std::string& id) {
  if (auto cell = std::dynamic_pointer_cast<Cell>(table->dequeueReusableCellWithIdentifier(id))) {
    return cell;
  }
  return Cell::alloc()->initWithStyle(UITableViewCellStyleDefault, id);
}

// The rows as the chat screen draws them.
class ChatRows : public UITableViewDataSource, public UITableViewDelegate {
 public:
  long numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
    return static_cast<long>(records.size());
  }

  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const IndexPath& indexPath) override {
    const auto& record = *records.at(static_cast<size_t>(indexPath->row()));
    if (record.isType(ChatMessageType::TimeHeader)) {
      auto cell = dequeue<ChatTimeCell>(table, "ChatTimeCell");
      cell->timeLabel()->setText(record.message);
      return cell;
    }
    if (record.isType(ChatMessageType::Outgoing)) {
      auto cell = dequeue<OutgoingChatCell>(table, "OutgoingCell");
      cell->textLabel()->setText(record.message);
      cell->likeView()->setAlpha(record.showLike ? 1 : 0);
      return cell;
    }
    if (record.isType(ChatMessageType::Incoming)) {
      auto cell = dequeue<IncomingChatCell>(table, "IncomingCell");
      cell->textLabel()->setText(record.message);
      cell->avatarImage()->setImage(avatar);
      cell->avatarImage()->setAlpha(record.showAvatar ? 1 : 0);
      cell->likeView()->setAlpha(record.showLike ? 1 : 0);
      return cell;
    }
    std::shared_ptr<CallRecordCell> cell;
    if (record.isType(ChatMessageType::OutgoingStartCall)) {
      cell = dequeue<OutgoingCallStartedCell>(table, "OutgoingStartCallCell");
    } else if (record.isType(ChatMessageType::OutgoingEndedCall)) {
      cell = dequeue<OutgoingCallEndedCell>(table, "OutgoingEndedCallCell");
    } else if (record.isType(ChatMessageType::IncomingStartCall)) {
      auto incoming = dequeue<IncomingCallStartedCell>(table, "IncomingCallStartedCell");
      incoming->avatarImage()->setImage(avatar);
      cell = incoming;
    } else {
      auto incoming = dequeue<IncomingCallEndedCell>(table, "IncomingCallEndedCell");
      incoming->avatarImage()->setImage(avatar);
      cell = incoming;
    }
    const bool started = record.isType(ChatMessageType::OutgoingStartCall) ||
                         record.isType(ChatMessageType::IncomingStartCall);
    if (started && record.activeCall) {
      cell->timeLabel()->setText("Tap to join");
      cell->iconView()->setBackgroundColor(Appearance::activeCall());
    } else {
      cell->timeLabel()->setText(record.message);
      if (started) cell->iconView()->setBackgroundColor(Appearance::callIconBackground());
    }
    return cell;
  }

  CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                  const IndexPath& indexPath) override {
    return ChatRowHeights::heightForRecord(*records.at(static_cast<size_t>(indexPath->row())),
                                           table->bounds().size.width);
  }

  std::vector<std::shared_ptr<ChatDataModel>> records;
  std::shared_ptr<UIImage> avatar;
};

inline std::shared_ptr<ChatDataModel> record(std::string_view type, std::string_view text,
                                             bool liked = false, bool avatar = true,
                                             bool active = false) {
  return ChatDataModel::alloc()->initWithMessage(text, type, avatar, liked, active);
}

// The red, green and blue of a rendered pixel at a point of the view, 0 to 255.
struct Pixel {
  int red, green, blue, alpha;
};

inline Pixel pixelAt(const std::shared_ptr<UIView>& view, CGPoint point) {
  constexpr double scale = 3;
  cairo_surface_t* surface = render::renderView(view, scale);
  cairo_surface_flush(surface);
  const int x = static_cast<int>(point.x * scale), y = static_cast<int>(point.y * scale);
  const auto* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  const uint32_t argb = reinterpret_cast<const uint32_t*>(row)[x];
  cairo_surface_destroy(surface);
  return {static_cast<int>((argb >> 16) & 0xff), static_cast<int>((argb >> 8) & 0xff),
          static_cast<int>(argb & 0xff), static_cast<int>(argb >> 24)};
}

// Where the view lies in its cell.
inline CGRect inCell(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& cell) {
  return view->convertRectToView(view->bounds(), cell);
}

// Every constraint held inside the view's subtree.
inline size_t constraintsUnder(const UIView& view) {
  size_t count = view.constraints().size();
  for (const auto& subview : view.subviews()) count += constraintsUnder(*subview);
  return count;
}

class ChatCellTable : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    // The call icons as the asset build renders them, when this build has them.
    device_.installBuiltAssets({"call", "incoming-call", "outgoing-call"},
                               testsupport::ScaleVariant::Yes);

    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    table = UITableView::alloc()->initWithFrame(CGRectMake(0, 0, kWidth, 844));
    table->setSeparatorStyle(UITableViewCellSeparatorStyleNone);
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
    table->setDataSource(rows);
    table->setDelegate(rows);
    window->addSubview(table);
  }

  void TearDown() override {
    RunLoop::advance(10);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }

  void show(std::vector<std::shared_ptr<ChatDataModel>> records) {
    rows->records = std::move(records);
    table->reloadData();
    window->layoutIfNeeded();
  }

  template <class Cell>
  std::shared_ptr<Cell> cellAt(long row) {
    auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
    auto typed = std::dynamic_pointer_cast<Cell>(cell);
    EXPECT_TRUE(typed) << "row " << row << " has no cell of the expected class";
    return typed;
  }

  // Snapshots go to $PARLO_CELL_SNAPSHOTS when it is set, for a person to look at.
  static void snapshot(const std::shared_ptr<UIView>& view, const std::string& name) {
    const char* dir = getenv("PARLO_CELL_SNAPSHOTS");
    if (!dir) return;
    fs::create_directories(dir);
    EXPECT_TRUE(render::writeViewPNG(view, (fs::path(dir) / (name + ".png")).string()));
  }

  // First, so that it outlives the views.
  testsupport::TemporaryDeviceRoot device_{"parlo-cells"};
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UITableView> table;
  std::shared_ptr<ChatRows> rows = std::make_shared<ChatRows>();
};

}  // namespace chatcells
