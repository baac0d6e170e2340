#include "quartz/CATransaction.h"

#include <optional>
#include <vector>

namespace {

struct Frame {
  std::optional<bool> disableActions;
  std::optional<double> animationDuration;
};

// The first frame is the implicit transaction.
std::vector<Frame>& frames() {
  static std::vector<Frame> stack(1);
  return stack;
}

template <class T>
T innermost(std::optional<T> Frame::*setting, T fallback) {
  const auto& stack = frames();
  for (auto frame = stack.rbegin(); frame != stack.rend(); ++frame) {
    if ((*frame).*setting) return *((*frame).*setting);
  }
  return fallback;
}

}  // namespace

void CATransaction::begin() {
  frames().emplace_back();
}

void CATransaction::commit() {
  if (frames().size() > 1) frames().pop_back();
}

void CATransaction::flush() {
  frames().front() = Frame{};
}

bool CATransaction::disableActions() {
  return innermost(&Frame::disableActions, false);
}

void CATransaction::setDisableActions(bool disable) {
  frames().back().disableActions = disable;
}

double CATransaction::animationDuration() {
  return innermost(&Frame::animationDuration, 0.25);
}

void CATransaction::setAnimationDuration(double duration) {
  frames().back().animationDuration = duration;
}

int CATransaction::depth() {
  return static_cast<int>(frames().size()) - 1;
}
