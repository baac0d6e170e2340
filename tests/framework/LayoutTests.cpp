#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "BrisvaleKit/BVUtilities.h"
#include "BrisvaleKit/UIColor+BVTheme.h"
#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIImpactFeedbackGenerator.h"

namespace {

// A 400 x 300 root with a 100 x 50 anchor view at (40, 30) to relate to.
struct Scene {
  std::shared_ptr<UIView> root = UIView::alloc()->initWithFrame({{0, 0}, {400, 300}});
  std::shared_ptr<UIView> anchor = UIView::alloc()->initWithFrame({{40, 30}, {100, 50}});
  std::shared_ptr<UIView> view = UIView::alloc()->initWithFrame({{0, 0}, {10, 20}});

  Scene() {
    root->addSubview(anchor);
    root->addSubview(view);
  }
};

TEST(LayoutMethods, EachMakesItsConstraintsAndTheSolvedFrameFollows) {
  using Layout::Constraints;
  // What a case constrains, read back from the solved frame; the rest is left to the solver.
  auto minX = [](CGRect f) { return f.origin.x; };
  auto minY = [](CGRect f) { return f.origin.y; };
  auto maxX = [](CGRect f) { return f.origin.x + f.size.width; };
  auto maxY = [](CGRect f) { return f.origin.y + f.size.height; };
  auto midX = [](CGRect f) { return f.origin.x + f.size.width / 2; };
  auto midY = [](CGRect f) { return f.origin.y + f.size.height / 2; };
  auto w = [](CGRect f) { return f.size.width; };
  auto h = [](CGRect f) { return f.size.height; };
  using Measure = std::function<CGFloat(CGRect)>;
  struct Case {
    std::string name;
    std::function<Constraints(Scene&)> apply;
    std::vector<std::pair<Measure, CGFloat>> expected;
  };
  auto one = [](Layout::Constraint c) { return Constraints{c}; };
  std::vector<Case> cases = {
      {"size:", [](Scene& s) { return Layout::size(s.view, 60, 70); }, {{w, 60}, {h, 70}}},
      {"width:", [&](Scene& s) { return one(Layout::width(s.view, 60)); }, {{w, 60}}},
      {"height:", [&](Scene& s) { return one(Layout::height(s.view, 70)); }, {{h, 70}}},
      {"top:padding:",
       [&](Scene& s) { return one(Layout::top(s.view, s.anchor->bottomAnchor(), 5)); },
       {{minY, 85}}},
      {"bottom:padding:",
       [&](Scene& s) { return one(Layout::bottom(s.view, s.root->bottomAnchor(), -8)); },
       {{maxY, 292}}},
      {"leading:padding:",
       [&](Scene& s) { return one(Layout::leading(s.view, s.anchor->trailingAnchor(), 4)); },
       {{minX, 144}}},
      {"trailing:padding:",
       [&](Scene& s) { return one(Layout::trailing(s.view, s.root->trailingAnchor(), -16)); },
       {{maxX, 384}}},
      {"x:",
       [&](Scene& s) { return one(Layout::x(s.view, s.anchor->centerXAnchor())); },
       {{midX, 90}}},
      {"y:",
       [&](Scene& s) { return one(Layout::y(s.view, s.anchor->centerYAnchor())); },
       {{midY, 55}}},
      {"x:y:",
       [](Scene& s) {
         return Layout::xy(s.view, s.root->centerXAnchor(), s.root->centerYAnchor());
       },
       {{midX, 200}, {midY, 150}}},
      {"x:padding:",
       [&](Scene& s) { return one(Layout::x(s.view, s.anchor->centerXAnchor(), -20)); },
       {{midX, 70}}},
      {"y:padding:",
       [&](Scene& s) { return one(Layout::y(s.view, s.anchor->centerYAnchor(), 30)); },
       {{midY, 85}}},
      {"fill",
       [](Scene& s) { return Layout::fill(s.view); },
       {{minX, 0}, {minY, 0}, {maxX, 400}, {maxY, 300}}},
  };

  for (const Case& c : cases) {
    Scene scene;

    Constraints made = c.apply(scene);
    scene.root->layoutIfNeeded();

    // Size and x:y: make two, fill four, the others one each: one per measured attribute.
    ASSERT_EQ(made.size(), c.expected.size()) << c.name;
    for (auto& constraint : made) {
      ASSERT_TRUE(constraint) << c.name;
      EXPECT_TRUE(constraint->isActive()) << c.name;
      EXPECT_EQ(constraint->firstItem(), scene.view) << c.name;
      EXPECT_EQ(constraint->relation(), NSLayoutRelationEqual) << c.name;
    }
    EXPECT_FALSE(scene.view->translatesAutoresizingMaskIntoConstraints()) << c.name;
    for (auto& [measure, value] : c.expected) {
      EXPECT_DOUBLE_EQ(measure(scene.view->frame()), value) << c.name;
    }
  }
}

TEST(LayoutMethods, AViewWithoutASuperviewIsLoggedAndGetsNothing) {
  auto loose = UIView::alloc()->initWithFrame({{0, 0}, {10, 10}});
  auto other = UIView::alloc()->init();

  testing::internal::CaptureStderr();
  EXPECT_TRUE(Layout::size(loose, 5, 5).empty());
  EXPECT_FALSE(Layout::top(loose, other->topAnchor(), 0));
  EXPECT_TRUE(Layout::fill(loose).empty());
  EXPECT_FALSE(Layout::x(nullptr, other->centerXAnchor()));
  std::string log = testing::internal::GetCapturedStderr();

  EXPECT_NE(log.find("size:"), std::string::npos);
  EXPECT_NE(log.find("top:padding:"), std::string::npos);
  EXPECT_NE(log.find("fill"), std::string::npos);
  EXPECT_TRUE(loose->constraints().empty());
  EXPECT_TRUE(loose->translatesAutoresizingMaskIntoConstraints());
}

TEST(Theme, EnabledAndDisabledColoursDifferAndFollowTheAppearance) {
  auto resolve = [](const std::shared_ptr<UIColor>& colour, UIUserInterfaceStyle style) {
    return colour->resolvedColorWithTraitCollection(
        UITraitCollection::traitCollectionWithUserInterfaceStyle(style));
  };
  std::vector<std::pair<std::shared_ptr<UIColor>, std::shared_ptr<UIColor>>> pairs = {
      {BVTheme::enabledColour(), BVTheme::disabledColour()},
      {BVTheme::enabledBorderColour(), BVTheme::disabledBorderColour()},
      {BVTheme::enabledShadowColour(), BVTheme::disabledShadowColour()}};

  for (auto& [enabled, disabled] : pairs) {
    for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
      EXPECT_FALSE(resolve(enabled, style)->isEqual(resolve(disabled, style)));
    }
    EXPECT_FALSE(resolve(enabled, UIUserInterfaceStyleLight)
                     ->isEqual(resolve(enabled, UIUserInterfaceStyleDark)));
  }
}

TEST(Utilities, HapticZeroPlaysOneLightImpact) {
  UIImpactFeedbackGenerator::clearRecordedImpacts();

  BVUtilities::sharedInstance()->haptic(0);

  ASSERT_EQ(UIImpactFeedbackGenerator::recordedImpacts().size(), 1u);
  EXPECT_EQ(UIImpactFeedbackGenerator::recordedImpacts()[0].style, UIImpactFeedbackStyleLight);
}

}  // namespace
