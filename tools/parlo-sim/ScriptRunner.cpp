#include "ScriptRunner.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ViewTreeDump.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UIScreen.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

namespace sim {
namespace {

constexpr double kFrame = 1.0 / 60;
// How long a finger rests on the glass in a tap.
constexpr double kTapDuration = 0.05;

struct CommandFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

CGPoint pointFor(const TouchTarget& target) {
  if (target.point) return *target.point;
  auto matches = visibleViewsShowingText(target.text);
  if (matches.empty()) {
    throw CommandFailure("no visible label, button, text field or text view shows " +
                         quoted(target.text));
  }
  if (static_cast<size_t>(target.index) > matches.size()) {
    throw CommandFailure(quoted(target.text) + " [" + std::to_string(target.index) + "]: only " +
                         std::to_string(matches.size()) + " visible");
  }
  // The middle of what shows on the screen: a label wider than its text (a right-aligned
  // bubble's) may reach past the edge, and a finger cannot touch there.
  CGRect frame = CGRectIntersection(frameInScreen(*matches[static_cast<size_t>(target.index) - 1]),
                                    UIScreen::mainScreen()->bounds());
  return {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
}

void tapAt(CGPoint point) {
  auto app = UIApplication::sharedApplication();
  app->touchDown(point);
  settleScreen();
  advanceFrames(kTapDuration);
  app->touchUp(point);
  settleScreen();
}

// One finger moving in a straight line from one point to another, a step every frame.
void drag(CGPoint from, CGPoint to, double seconds) {
  auto app = UIApplication::sharedApplication();
  app->touchDown(from);
  settleScreen();
  int steps = std::max(1, static_cast<int>(std::ceil(seconds / kFrame - 1e-9)));
  for (int i = 1; i <= steps; ++i) {
    advanceFrames(seconds / steps);
    double f = static_cast<double>(i) / steps;
    app->touchMove({from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    settleScreen();
  }
  app->touchUp(to);
  settleScreen();
}

// Two fingers on a horizontal line through the centre, their distance scaled from one factor
// to the other.
void pinch(CGPoint centre, CGFloat scaleFrom, CGFloat scaleTo, double seconds) {
  constexpr CGFloat kHalfSpan = 50;
  auto app = UIApplication::sharedApplication();
  auto at = [&](CGFloat scale, int finger) {
    CGFloat dx = kHalfSpan * scale * (finger == 0 ? -1 : 1);
    return CGPoint{centre.x + dx, centre.y};
  };
  app->touchDown(at(scaleFrom, 0), 0);
  app->touchDown(at(scaleFrom, 1), 1);
  settleScreen();
  int steps = std::max(1, static_cast<int>(std::ceil(seconds / kFrame - 1e-9)));
  for (int i = 1; i <= steps; ++i) {
    advanceFrames(seconds / steps);
    CGFloat scale = scaleFrom + (scaleTo - scaleFrom) * static_cast<CGFloat>(i) / steps;
    app->touchMove(at(scale, 0), 0);
    app->touchMove(at(scale, 1), 1);
    settleScreen();
  }
  app->touchUp(at(scaleTo, 0), 0);
  app->touchUp(at(scaleTo, 1), 1);
  settleScreen();
}

std::string outputPath(const ScriptRun& run, const std::string& file) {
  std::filesystem::path path(file);
  if (path.is_relative() && !run.outputDirectory.empty()) {
    path = std::filesystem::path(run.outputDirectory) / path;
  }
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  return path.string();
}

void typing(const Command& command) {
  UIKeyboard& keyboard = UIKeyboard::shared();
  if (!keyboard.isVisible()) throw CommandFailure("the keyboard is not up: nothing has focus");
  if (command.kind == Command::Kind::Type) {
    keyboard.type(command.text);
  } else if (command.kind == Command::Kind::Paste) {
    keyboard.paste(command.text);
  } else if (command.text == "return") {
    keyboard.pressReturn();
  } else {
    keyboard.pressBackspace();
  }
  settleScreen();
}

void runCommand(const Command& command, const ScriptRun& run) {
  auto app = UIApplication::sharedApplication();
  switch (command.kind) {
    case Command::Kind::Tap:
      tapAt(pointFor(command.target));
      break;
    case Command::Kind::DoubleTap: {
      CGPoint point = pointFor(command.target);
      tapAt(point);
      // Well inside the interval in which a second tap counts as the same gesture.
      advanceFrames(UITouch::kMultiTapInterval / 3);
      tapAt(point);
      break;
    }
    case Command::Kind::Press: {
      CGPoint point = pointFor(command.target);
      app->touchDown(point);
      settleScreen();
      advanceFrames(command.seconds);
      app->touchUp(point);
      settleScreen();
      break;
    }
    case Command::Kind::Drag:
      drag(command.from, command.to, command.seconds);
      break;
    case Command::Kind::Pinch:
      pinch(command.from, command.scaleFrom, command.scaleTo, command.seconds);
      break;
    case Command::Kind::Type:
    case Command::Kind::Paste:
    case Command::Kind::Key:
      typing(command);
      break;
    case Command::Kind::Wait:
      advanceFrames(command.seconds);
      break;
    case Command::Kind::Appearance:
      app->setUserInterfaceStyle(command.text == "dark" ? UIUserInterfaceStyleDark
                                                        : UIUserInterfaceStyleLight);
      settleScreen();
      break;
    case Command::Kind::Snapshot: {
      std::string path = outputPath(run, command.text);
      if (!render::writeScreenPNG(path)) throw CommandFailure("cannot write " + path);
      break;
    }
    case Command::Kind::Dump: {
      std::string path = outputPath(run, command.text);
      std::ofstream file(path, std::ios::binary | std::ios::trunc);
      file << dumpWindowsAsJSON();
      if (!file.flush()) throw CommandFailure("cannot write " + path);
      break;
    }
    case Command::Kind::ExpectText:
      if (visibleViewsShowingText(command.text).empty()) {
        throw CommandFailure("expected " + quoted(command.text) +
                             " on the screen, but no visible view shows it");
      }
      break;
    case Command::Kind::ExpectNoText:
      if (!visibleViewsShowingText(command.text).empty()) {
        throw CommandFailure("expected no " + quoted(command.text) +
                             " on the screen, but a visible view shows it");
      }
      break;
    case Command::Kind::ExpectHaptics: {
      // Every tap of the process, from its start, so a tap that fires twice is seen.
      const size_t taps = UIImpactFeedbackGenerator::recordedImpacts().size();
      if (taps != static_cast<size_t>(command.count)) {
        throw CommandFailure("expected " + std::to_string(command.count) +
                             " haptic taps so far, but there were " + std::to_string(taps));
      }
      break;
    }
  }
}

std::function<void()>& frameObserver() {
  static std::function<void()> observer;
  return observer;
}

}  // namespace

void setFrameObserver(std::function<void()> observer) {
  frameObserver() = std::move(observer);
}

void settleScreen() {
  RunLoop::runUntilIdle();
  for (const auto& window : UIApplication::sharedApplication()->windows()) {
    window->layoutIfNeeded();
  }
}

void advanceFrames(double seconds) {
  double left = seconds;
  while (left > 1e-9) {
    double step = std::min(kFrame, left);
    RunLoop::advance(step);
    settleScreen();
    if (frameObserver()) frameObserver()();
    left -= step;
  }
}

int runScript(const ParsedScript& script, const ScriptRun& run) {
  // A script that cannot be read is not run in part.
  if (!script.error.empty()) {
    std::fprintf(stderr, "%s:%d: %s\n", run.scriptName.c_str(), script.errorLine,
                 script.error.c_str());
    return 1;
  }
  settleScreen();
  if (frameObserver()) frameObserver()();
  for (const Command& command : script.commands) {
    try {
      runCommand(command, run);
    } catch (const CommandFailure& failure) {
      std::fprintf(stderr, "%s:%d: %s\n", run.scriptName.c_str(), command.line, failure.what());
      return 1;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s:%d: the command failed: %s\n", run.scriptName.c_str(), command.line,
                   error.what());
      return 1;
    }
  }
  return 0;
}

}  // namespace sim
