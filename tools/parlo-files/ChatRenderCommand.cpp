// parlo-files chat render: the whole conversation as one picture, drawn by the chat screen itself.
// The add-on's own controller builds its table with its own cells and row heights; the table is
// then scrolled through in bands of rows, each band drawn by the platform's renderer and written
// out while the next is drawn, so a chat of any length takes the memory of two bands.
//
// Most rows of a chat repeat the row above. The layers' geometry says which rows may not, and in
// which columns; only the layers there are drawn, only those pixels are read, and the writer is
// told the rest repeats.

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BandPNGWriter.h"
#include "Command.h"
#include "HostApp.h"
#include "HostFiles.h"
#include "VerticalChanges.h"
#include "chat/ChatFile.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/RunLoop.h"
#include "render/LayerPainter.h"
#include "render/ScreenPainting.h"
#include "uikit/UIImage.h"
#include "uikit/UIScreen.h"
#include "uikit/UITableView.h"

int renderChat(Arguments arguments);

namespace {

constexpr const char* kRenderUsage =
    "usage: parlo-files chat render FILE --out PNG [--appearance light|dark] [--recipient NAME] "
    "[--avatar IMAGE] [--device-root DIR]";
constexpr double kScale = 3;
constexpr double kWidth = 390;
// Points of chat drawn at a time: 1170 x 900 pixels, about 4 MB. A band this small stays in the
// processor's caches from drawing to compressing; bands four times taller took half as long again.
constexpr double kBandHeight = 300;
// The table lays out only the rows it shows, but a row draws a little outside its frame (a bubble
// starts 2 points above its row, its edge antialiased a pixel further): each band is drawn with the
// table showing this much more above and below it, so that a row across a boundary is whole in
// both bands. Whole device pixels, so the band's pixels fall where a snapshot's do.
constexpr double kOverhang = 8;

struct RenderOptions {
  std::string file, out, recipient, avatar, deviceRoot;
  bool dark = false;
};

std::optional<RenderOptions> parse(Arguments arguments, std::string& error) {
  RenderOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool takesValue = option == "--out" || option == "--appearance" ||
                            option == "--recipient" || option == "--avatar" ||
                            option == "--device-root";
    if (!takesValue) {
      if (!option.empty() && option[0] == '-') {
        error = "unknown option " + option;
        return std::nullopt;
      }
      if (!options.file.empty()) {
        error = kRenderUsage;
        return std::nullopt;
      }
      options.file = option;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      error = option + " needs a value";
      return std::nullopt;
    }
    const std::string& value = arguments[++i];
    if (option == "--out") {
      options.out = value;
    } else if (option == "--appearance") {
      if (value != "light" && value != "dark") {
        error = "--appearance is light or dark";
        return std::nullopt;
      }
      options.dark = value == "dark";
    } else if (option == "--recipient") {
      options.recipient = value;
    } else if (option == "--avatar") {
      options.avatar = value;
    } else {
      options.deviceRoot = value;
    }
  }
  if (options.file.empty() || options.out.empty()) {
    error = kRenderUsage;
    return std::nullopt;
  }
  return options;
}

// A band's rows as the writer takes them, and the device rectangles to draw for them.
struct BandPlan {
  std::vector<BandPNGWriter::Row> rows;
  std::vector<BandPNGWriter::Span> spans;
  std::vector<CGRect> drawn;
};

// Rows that may change are drawn only where they may. A run of them starts with a row drawn
// whole, which the writer codes on its own, so that it can cut the band there into slices for
// its threads; the band's first row is always whole.
BandPlan planBand(const std::vector<CGRect>& changes, int rows, int width,
                  const unsigned char* pixels, long stride) {
  BandPlan plan;
  // Each row's changing columns, as spans in order and apart.
  struct Box {
    int x0, y0, x1, y1;
  };
  std::vector<Box> boxes;
  for (const CGRect& rect : changes) {
    boxes.push_back({static_cast<int>(rect.origin.x), static_cast<int>(rect.origin.y),
                     static_cast<int>(rect.origin.x + rect.size.width),
                     static_cast<int>(rect.origin.y + rect.size.height)});
  }
  std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.x0 < b.x0; });
  std::vector<std::pair<size_t, size_t>> rowSpans(static_cast<size_t>(rows));
  for (int y = 0; y < rows; ++y) {
    const size_t first = plan.spans.size();
    for (const Box& box : boxes) {
      if (y < box.y0 || y >= box.y1) continue;
      if (plan.spans.size() > first && box.x0 <= plan.spans.back().to) {
        plan.spans.back().to = std::max(plan.spans.back().to, box.x1);
      } else {
        plan.spans.push_back({box.x0, box.x1});
      }
    }
    rowSpans[static_cast<size_t>(y)] = {first, plan.spans.size() - first};
  }
  auto row = [&](int y) { return reinterpret_cast<const uint32_t*>(pixels + y * stride); };
  plan.rows.reserve(static_cast<size_t>(rows));
  for (int y = 0; y < rows; ++y) {
    const auto [first, count] = rowSpans[static_cast<size_t>(y)];
    const bool runStarts = y > 0 && rowSpans[static_cast<size_t>(y - 1)].second == 0;
    if (y == 0 || (count > 0 && runStarts)) {
      plan.rows.push_back(BandPNGWriter::Row::whole(row(y)));
      plan.drawn.push_back(CGRectMake(0, y, width, 1));
    } else if (count == 0) {
      plan.rows.push_back(BandPNGWriter::Row::repeat());
    } else {
      plan.rows.push_back(
          BandPNGWriter::Row::changed(row(y), plan.spans.data() + first, static_cast<int>(count)));
    }
  }
  for (const CGRect& rect : changes) plan.drawn.push_back(rect);
  return plan;
}

std::shared_ptr<UIImage> loadAvatar(const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (HostFileResult read = readHostFile(path, bytes); !read.ok) {
    error = path + ": " + read.error;
    return nullptr;
  }
  auto image = UIImage::imageWithData(NSData::dataWithBytes(bytes.data(), bytes.size()));
  if (!image) error = path + ": not a PNG or JPEG image";
  return image;
}

}  // namespace

int renderChat(Arguments arguments) {
  std::string error;
  auto options = parse(arguments, error);
  if (!options) return fail(error);

  std::vector<uint8_t> bytes;
  if (HostFileResult read = readHostFile(options->file, bytes); !read.ok) {
    return fail(options->file + ": " + read.error);
  }
  auto records = ChatFile::decode(bytes, &error);
  if (!records) return fail(options->file + ": not a chat file: " + error);
  std::shared_ptr<UIImage> avatar;
  if (!options->avatar.empty() && !(avatar = loadAvatar(options->avatar, error))) {
    return fail(error);
  }
  // Refused before anything is drawn.
  BandPNGWriter png;
  if (!png.open(options->out, error)) return fail(error);

  // The screen draws its images from the device and reads the recipient's profile figures from
  // the host app's settings there; nothing is written to it.
  if (!options->deviceRoot.empty()) {
    DeviceRoot::setPath(std::filesystem::absolute(options->deviceRoot).lexically_normal().string());
  }
  NSSetHomeDirectory(HostApp::containerPath(HostApp::kDefaultBundleIdentifier));
  RunLoop::useManualClock();
  const UIUserInterfaceStyle style =
      options->dark ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight;
  UIScreen::mainScreen()->setUserInterfaceStyle(style);

  // A chat file is named after the other user.
  const std::string recipient = options->recipient.empty()
                                    ? std::filesystem::path(options->file).stem().string()
                                    : options->recipient;
  auto screen =
      ParloFakeChatViewController::alloc()->initWithUsername(NSString::string(recipient), avatar);
  screen->view()->setFrame(CGRectMake(0, 0, kWidth, 844));
  auto messages = screen->currentMessages();
  messages->removeAllObjects();
  for (const id& record : records->objects()) messages->addObject(record);
  auto table = screen->tableView();
  table->setContentInset(UIEdgeInsetsZero);
  table->setFrame(CGRectMake(0, 0, kWidth, kBandHeight + 2 * kOverhang));
  table->reloadData();
  table->layoutIfNeeded();

  // The profile block, then every row: the table's whole content.
  const double height = table->contentSize().height;
  const int pixelWidth = static_cast<int>(std::round(kWidth * kScale));
  // PNG counts rows in 31 bits: some ten million messages.
  if (!(height * kScale < 0x7fffffff)) return fail("the chat is too long for one PNG");
  const int pixelHeight = static_cast<int>(std::ceil(height * kScale - 1e-6));
  if (pixelHeight <= 0 || !png.begin(pixelWidth, pixelHeight)) {
    return fail("cannot write " + options->out);
  }
  const CGColor background =
      UIColor::systemBackgroundColor()
          ->resolvedColorWithTraitCollection(
              UITraitCollection::traitCollectionWithUserInterfaceStyle(style))
          ->CGColor();
  // Two bands: the next is drawn while a thread of the command's own compresses the last, on as
  // many threads as there are processors. Only that thread touches the encoder, and only this one
  // the views.
  cairo_surface_t* bands[2];
  for (auto& band : bands) {
    band =
        render::createPixelSurface(pixelWidth, static_cast<int>(std::ceil(kBandHeight * kScale)));
  }
  std::mutex mutex;
  std::condition_variable changed;
  cairo_surface_t* handed = nullptr;    // the band the encoder has yet to take
  cairo_surface_t* encoding = nullptr;  // the band it is compressing
  BandPlan plans[2];
  const BandPlan* handedPlan = nullptr;
  bool drawingDone = false, encoderFailed = false;
  std::thread encoder([&] {
    while (true) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return handed || drawingDone; });
      if (!handed) return;
      cairo_surface_t* band = handed;
      const BandPlan* plan = handedPlan;
      handed = nullptr;
      encoding = band;
      changed.notify_all();
      lock.unlock();
      const bool written = png.writeRows(plan->rows);
      lock.lock();
      encoding = nullptr;
      encoderFailed = encoderFailed || !written;
      changed.notify_all();
    }
  });
  int written = 0, next = 0;
  bool ok = cairo_surface_status(bands[0]) == CAIRO_STATUS_SUCCESS &&
            cairo_surface_status(bands[1]) == CAIRO_STATUS_SUCCESS;
  for (double top = 0; ok && written < pixelHeight; top += kBandHeight) {
    cairo_surface_t* band = bands[next];
    next = 1 - next;
    {
      // The band may still be in the encoder's hands from two rounds ago.
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return handed != band && encoding != band; });
    }
    table->setContentOffset(CGPointMake(0, top - kOverhang));
    table->layoutIfNeeded();
    const int rows = std::min(pixelHeight - written, cairo_image_surface_get_height(band));
    written += rows;
    // The band's first row is the overhang's height below the table's top.
    cairo_matrix_t toDevice;
    cairo_matrix_init_translate(&toDevice, 0, -kOverhang * kScale);
    cairo_matrix_scale(&toDevice, kScale, kScale);
    BandPlan& plan = plans[band == bands[0] ? 0 : 1];
    plan = planBand(
        VerticalChanges::of(*table->layer(), style, toDevice, CGRectMake(0, 0, pixelWidth, rows)),
        rows, pixelWidth, cairo_image_surface_get_data(band), cairo_image_surface_get_stride(band));
    cairo_surface_flush(band);
    // Not clipped to the drawn rectangles: the writer reads no pixel outside them, and clipping
    // every fill and glyph to their union cost more than the drawing it saved.
    cairo_t* cr = cairo_create(band);
    cairo_set_source_rgb(cr, background.red, background.green, background.blue);
    cairo_paint(cr);
    cairo_set_matrix(cr, &toDevice);
    render::LayerPainter painter(cr);
    painter.setCullRects(plan.drawn);
    painter.paintLayerUnplaced(*table->layer(), style);
    cairo_destroy(cr);
    cairo_surface_flush(band);
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return !handed; });
    ok = !encoderFailed;
    handed = band;
    handedPlan = &plan;
    changed.notify_all();
  }
  {
    std::lock_guard lock(mutex);
    drawingDone = true;
    changed.notify_all();
  }
  encoder.join();
  ok = ok && !encoderFailed;
  for (auto* band : bands) cairo_surface_destroy(band);
  if (!ok) return fail("cannot write " + options->out);
  if (!png.finish(error)) return fail(error);
  return 0;
}
