#include <gtest/gtest.h>

#include <memory>

#include "quartz/CALayer.h"
#include "quartz/CATransaction.h"

namespace {

std::vector<CALayer*> order(const CALayer& layer) {
  std::vector<CALayer*> result;
  for (const auto& sublayer : layer.sublayers()) result.push_back(sublayer.get());
  return result;
}

TEST(CALayer, FrameIsTheBoundsPlacedAroundTheAnchorPointAtThePosition) {
  auto layer = CALayer::layer();
  layer->setFrame(CGRectMake(10, 20, 100, 50));
  CGPoint centred = layer->position();

  layer->setAnchorPoint(CGPointMake(0, 0));
  CGRect movedByAnchor = layer->frame();
  layer->setAffineTransform(CGAffineTransformMakeScale(2, 2));
  CGRect scaled = layer->frame();

  EXPECT_EQ(centred, CGPointMake(60, 45));
  EXPECT_EQ(layer->bounds(), CGRectMake(0, 0, 100, 50));
  EXPECT_EQ(movedByAnchor, CGRectMake(60, 45, 100, 50));
  EXPECT_EQ(scaled, CGRectMake(60, 45, 200, 100));
}

TEST(CALayer, AddingALayerElsewhereMovesItAndInsertionsKeepTheOrder) {
  auto first = CALayer::layer(), second = CALayer::layer();
  auto a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer();
  first->addSublayer(a);

  second->addSublayer(b);
  second->addSublayer(a);
  second->insertSublayer(c, 0);
  auto d = CALayer::layer();
  second->insertSublayerAbove(d, c);
  second->insertSublayerBelow(b, c);

  EXPECT_TRUE(first->sublayers().empty());
  EXPECT_EQ(a->superlayer(), second);
  EXPECT_EQ(order(*second), (std::vector<CALayer*>{b.get(), c.get(), d.get(), a.get()}));
}

TEST(CALayer, ALayerCannotContainItsOwnAncestor) {
  auto parent = CALayer::layer(), child = CALayer::layer();
  parent->addSublayer(child);

  child->addSublayer(child);

  EXPECT_TRUE(child->sublayers().empty());
  EXPECT_EQ(child->superlayer(), parent);
}

TEST(CALayer, TheSuperlayerIsWeakAndRemovalReleasesTheSublayer) {
  auto child = CALayer::layer();
  std::weak_ptr<CALayer> removed;
  {
    auto parent = CALayer::layer();
    parent->addSublayer(child);
    auto other = CALayer::layer();
    parent->addSublayer(other);
    removed = other;

    other.reset();
    parent->sublayers()[1]->removeFromSuperlayer();
  }

  EXPECT_TRUE(removed.expired());
  EXPECT_EQ(child->superlayer(), nullptr);
}

TEST(CATransaction, NestedTransactionsInheritSettingsAndDropTheirOwnOnCommit) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  CATransaction::begin();
  bool inherited = CATransaction::disableActions();
  CATransaction::setDisableActions(false);
  CATransaction::setAnimationDuration(1);
  bool overridden = CATransaction::disableActions();

  CATransaction::commit();
  bool afterInner = CATransaction::disableActions();
  double durationAfterInner = CATransaction::animationDuration();
  CATransaction::commit();
  CATransaction::commit();

  EXPECT_TRUE(inherited);
  EXPECT_FALSE(overridden);
  EXPECT_TRUE(afterInner);
  EXPECT_EQ(durationAfterInner, 0.25);
  EXPECT_FALSE(CATransaction::disableActions());
  EXPECT_EQ(CATransaction::depth(), 0);
}

TEST(CATransaction, TheImplicitTransactionKeepsItsSettingsUntilFlushed) {
  CATransaction::setDisableActions(true);
  CATransaction::begin();
  bool inside = CATransaction::disableActions();
  CATransaction::commit();

  CATransaction::flush();

  EXPECT_TRUE(inside);
  EXPECT_FALSE(CATransaction::disableActions());
}

}  // namespace
