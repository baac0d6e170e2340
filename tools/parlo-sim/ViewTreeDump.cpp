#include "ViewTreeDump.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>

#include "uikit/UIApplication.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIScrollView.h"
#include "uikit/UITextField.h"
#include "uikit/UITextView.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace sim {
namespace {

constexpr CGRect kScreen{{0, 0}, {390, 844}};

std::shared_ptr<UIWindow> windowOf(const UIView& view) {
  return view.window();
}

void forEachViewInDrawingOrder(const std::function<void(const std::shared_ptr<UIView>&)>& visit) {
  std::function<void(const std::shared_ptr<UIView>&)> walk = [&](const auto& view) {
    visit(view);
    for (const auto& subview : view->subviews()) walk(subview);
  };
  for (const auto& window : UIApplication::sharedApplication()->windows()) walk(window);
}

class JSONWriter {
 public:
  std::string out;

  void string(const std::string& text) {
    out += '"';
    for (unsigned char c : text) {
      switch (c) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
          } else {
            out += static_cast<char>(c);
          }
      }
    }
    out += '"';
  }

  void number(double value) {
    if (!std::isfinite(value)) {
      out += "null";
      return;
    }
    // Round away the noise of layout arithmetic so dumps compare across runs.
    double rounded = std::round(value * 1000) / 1000;
    if (rounded == 0) rounded = 0;
    // to_chars: a decimal point whatever locale the process has set.
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, rounded, std::chars_format::general, 10);
    out.append(text, written.ptr);
  }

  void numbers(std::initializer_list<double> values) {
    out += '[';
    bool first = true;
    for (double value : values) {
      if (!first) out += ", ";
      first = false;
      number(value);
    }
    out += ']';
  }

  void colour(const std::shared_ptr<UIColor>& colour, const UIView& view) {
    if (!colour) {
      out += "null";
      return;
    }
    CGColor c = colour->resolvedColorWithTraitCollection(view.traitCollection())->CGColor();
    numbers({c.red, c.green, c.blue, c.alpha});
  }

  void key(const char* name, int depth) {
    out += ",\n";
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += '"';
    out += name;
    out += "\": ";
  }
};

void writeImage(JSONWriter& json, const std::shared_ptr<UIImage>& image) {
  if (!image) {
    json.out += "null";
    return;
  }
  // The file or symbol it was loaded as; an image made from data has no name.
  json.string(image->sourceName());
}

void writeView(JSONWriter& json, const std::shared_ptr<UIView>& view, int depth) {
  std::string indent(static_cast<size_t>(depth) * 2, ' ');
  json.out += indent + "{\n" + indent + "  \"class\": ";
  json.string(object_getClassName(view));
  CGRect frame = frameInScreen(*view);
  json.key("frame", depth + 1);
  json.numbers({frame.origin.x, frame.origin.y, frame.size.width, frame.size.height});
  json.key("alpha", depth + 1);
  json.number(view->alpha());
  json.key("hidden", depth + 1);
  json.out += view->isHidden() ? "true" : "false";
  json.key("userInteractionEnabled", depth + 1);
  json.out += view->isUserInteractionEnabled() ? "true" : "false";
  json.key("text", depth + 1);
  if (auto text = displayedText(*view)) {
    json.string(*text);
  } else {
    json.out += "null";
  }
  json.key("backgroundColor", depth + 1);
  json.colour(view->backgroundColor(), *view);
  const auto& layer = view->layer();
  json.key("borderColor", depth + 1);
  if (layer->borderWidth() > 0) {
    CGColor c = layer->borderColor();
    json.numbers({c.red, c.green, c.blue, c.alpha});
  } else {
    json.out += "null";
  }
  json.key("borderWidth", depth + 1);
  json.number(layer->borderWidth());
  json.key("cornerRadius", depth + 1);
  json.number(layer->cornerRadius());
  json.key("image", depth + 1);
  auto imageView = std::dynamic_pointer_cast<UIImageView>(view);
  writeImage(json, imageView ? imageView->image() : nullptr);
  CGAffineTransform t = view->transform();
  json.key("transform", depth + 1);
  json.numbers({t.a, t.b, t.c, t.d, t.tx, t.ty});
  // Scroll views also say where their content is, which is how a script sees rows and insets.
  if (auto scroll = std::dynamic_pointer_cast<UIScrollView>(view)) {
    UIEdgeInsets inset = scroll->contentInset();
    json.key("contentInset", depth + 1);
    json.numbers({inset.top, inset.left, inset.bottom, inset.right});
    CGPoint offset = scroll->contentOffset();
    json.key("contentOffset", depth + 1);
    json.numbers({offset.x, offset.y});
    CGSize size = scroll->contentSize();
    json.key("contentSize", depth + 1);
    json.numbers({size.width, size.height});
  }
  json.key("viewController", depth + 1);
  auto controller = std::dynamic_pointer_cast<UIViewController>(view->viewDelegate());
  if (controller) {
    json.string(object_getClassName(controller));
  } else {
    json.out += "null";
  }
  json.key("children", depth + 1);
  if (view->subviews().empty()) {
    json.out += "[]";
  } else {
    json.out += "[\n";
    bool first = true;
    for (const auto& subview : view->subviews()) {
      if (!first) json.out += ",\n";
      first = false;
      writeView(json, subview, depth + 2);
    }
    json.out += "\n" + indent + "  ]";
  }
  json.out += "\n" + indent + "}";
}

}  // namespace

std::optional<std::string> displayedText(const UIView& view) {
  if (auto label = dynamic_cast<const UILabel*>(&view)) {
    auto text = label->text();
    return text ? std::optional<std::string>(text->utf8()) : std::nullopt;
  }
  if (auto field = dynamic_cast<const UITextField*>(&view)) return field->text();
  if (auto textView = dynamic_cast<const UITextView*>(&view)) {
    auto text = textView->text();
    return text ? std::optional<std::string>(text->utf8()) : std::nullopt;
  }
  return std::nullopt;
}

CGRect frameInScreen(const UIView& view) {
  auto window = windowOf(view);
  if (!window || window.get() == &view) return view.frame();
  CGRect inWindow = view.convertRectToView(view.bounds(), nullptr);
  CGPoint origin = window->convertPointToWindow(inWindow.origin, nullptr);
  return {origin, inWindow.size};
}

bool isVisibleOnScreen(const UIView& view) {
  for (const UIView* v = &view; v; v = v->superview().get()) {
    if (v->isHidden() || v->alpha() < 0.01) return false;
    if (!v->superview() && !dynamic_cast<const UIWindow*>(v)) return false;
  }
  CGRect frame = frameInScreen(view);
  return frame.origin.x < kScreen.size.width && frame.origin.y < kScreen.size.height &&
         frame.origin.x + frame.size.width > 0 && frame.origin.y + frame.size.height > 0;
}

std::vector<std::shared_ptr<UIView>> visibleViewsShowingText(const std::string& text) {
  std::vector<std::shared_ptr<UIView>> matches;
  forEachViewInDrawingOrder([&](const std::shared_ptr<UIView>& view) {
    auto shown = displayedText(*view);
    if (shown && *shown == text && isVisibleOnScreen(*view)) matches.push_back(view);
  });
  return matches;
}

std::string dumpWindowsAsJSON() {
  JSONWriter json;
  json.out += "[\n";
  bool first = true;
  for (const auto& window : UIApplication::sharedApplication()->windows()) {
    if (!first) json.out += ",\n";
    first = false;
    writeView(json, window, 1);
  }
  json.out += "\n]\n";
  return json.out;
}

}  // namespace sim
