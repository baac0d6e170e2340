#include <gtest/gtest.h>

#include <vector>

#include "runtime/NSObject.h"
#include "runtime/Substrate.h"

namespace {

struct Box {
  double x, y, width, height;
};

}  // namespace

template <>
struct ObjCType<Box> {
  using Canonical = Box;
  static std::string encoding() { return "{Box=dddd}"; }
  static Box toCanonical(Box v) { return v; }
  static Box fromCanonical(Box v) { return v; }
};

namespace {

std::vector<std::string> journal;

class Shape : public NSObject {
  OBJC_CLASS(Shape, NSObject);

 public:
  void setFrame(Box frame) {
    journal.push_back("Shape setFrame");
    frame_ = frame;
  }
  int sides() const { return 0; }
  bool visible() const { return visible_; }
  void setVisible(bool visible) { visible_ = visible; }
  bool isFilled() const { return filled_; }
  void setFilled(bool filled) { filled_ = filled; }
  Box bounds() const { return frame_; }
  void setBounds(Box bounds) { frame_ = bounds; }

  Box frame_{};
  bool visible_ = true;
  bool filled_ = false;
  std::shared_ptr<NSObject> owner_;
};

class Square : public Shape {
  OBJC_CLASS(Square, Shape);

 public:
  int sides() const { return 4; }
};

class Tile : public Square {
  OBJC_CLASS(Tile, Square);
};

}  // namespace

OBJC_CLASS_IMPL(Shape) {
  c.method("setFrame:", &Shape::setFrame)
      .method("sides", &Shape::sides)
      .property("visible", &Shape::visible, &Shape::setVisible)
      .property("isFilled", &Shape::isFilled, &Shape::setFilled)
      .property("bounds", &Shape::bounds, &Shape::setBounds)
      .ivar("_owner", &Shape::owner_);
}
OBJC_CLASS_IMPL(Square) {
  c.method("sides", &Square::sides);
}
OBJC_CLASS_IMPL(Tile) {}

namespace {

TEST(RuntimeClasses, AreFoundByNameWithTheirSuperclassChain) {
  auto tile = std::make_shared<Tile>();

  EXPECT_EQ(objc_getClass("Tile"), Tile::classObject());
  EXPECT_EQ(class_getSuperclass(objc_getClass("Tile")), Square::classObject());
  EXPECT_EQ(class_getSuperclass(NSObject::classObject()), nullptr);
  EXPECT_EQ(objc_getClass("NoSuchClass"), nullptr);
  EXPECT_EQ(object_getClass(tile), Tile::classObject());
  EXPECT_STREQ(object_getClassName(tile), "Tile");
  EXPECT_TRUE(tile->isKindOfClass(Shape::classObject()));
  EXPECT_FALSE(tile->isMemberOfClass(Shape::classObject()));
  EXPECT_TRUE(tile->isMemberOfClass(Tile::classObject()));
  EXPECT_TRUE(tile->respondsToSelector("setVisible:"));
  EXPECT_FALSE(tile->respondsToSelector("fly"));
}

TEST(RuntimeMessages, DispatchThroughTheMostDerivedImplementation) {
  id shape = std::make_shared<Shape>();
  id tile = std::make_shared<Tile>();

  EXPECT_EQ(objc_msgSend<int>(shape, "sides"), 0);
  EXPECT_EQ(objc_msgSend<int>(tile, "sides"), 4);
  objc_msgSend(tile, "setVisible:", false);
  EXPECT_FALSE(objc_msgSend<bool>(tile, "visible"));
  EXPECT_EQ(objc_msgSend<int>(id(), "sides"), 0);  // messaging nil answers zero
  EXPECT_STREQ(method_getTypeEncoding(class_getInstanceMethod(Shape::classObject(), "setFrame:")),
               "v@:{Box=dddd}");
}

TEST(RuntimeClasses, APropertyRegistersItsGetterAndSetterWithTheirTypeEncodings) {
  struct Case {
    const char* getter;
    const char* setter;
    const char* getterTypes;
    const char* setterTypes;
  };
  const Case cases[] = {
      {"visible", "setVisible:", "B@:", "v@:B"},
      {"isFilled", "setFilled:", "B@:", "v@:B"},
      {"bounds", "setBounds:", "{Box=dddd}@:", "v@:{Box=dddd}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.getter);
    Method getter = class_getInstanceMethod(Shape::classObject(), c.getter);
    Method setter = class_getInstanceMethod(Shape::classObject(), c.setter);
    ASSERT_NE(getter, nullptr);
    ASSERT_NE(setter, nullptr);
    EXPECT_STREQ(method_getTypeEncoding(getter), c.getterTypes);
    EXPECT_STREQ(method_getTypeEncoding(setter), c.setterTypes);
  }
  EXPECT_EQ(class_getInstanceMethod(Shape::classObject(), "setIsFilled:"), nullptr);

  id shape = std::make_shared<Shape>();
  objc_msgSend(shape, "setFilled:", true);
  objc_msgSend(shape, "setBounds:", Box{1, 2, 3, 4});
  EXPECT_TRUE(objc_msgSend<bool>(shape, "isFilled"));
  EXPECT_EQ(objc_msgSend<Box>(shape, "bounds").width, 3);
}

TEST(RuntimeMessages, MismatchedTypesAndUnknownSelectorsFailLoudly) {
  id shape = std::make_shared<Shape>();

  EXPECT_THROW(objc_msgSend(shape, "setVisible:", 1), objc::RuntimeError);  // int, not BOOL
  EXPECT_THROW(objc_msgSend<double>(shape, "sides"), objc::RuntimeError);   // wrong result
  EXPECT_THROW(objc_msgSend(shape, "setFrame:", 1.0), objc::RuntimeError);  // not a Box
  EXPECT_THROW(objc_msgSend(shape, "fly"), objc::RuntimeError);
  EXPECT_THROW(class_addMethod(Shape::classObject(), "spin", IMP(+[](id, SEL) {}), "v@:B"),
               objc::RuntimeError);  // declared encoding disagrees with the function
}

TEST(RuntimeMessages, AddedMethodsRespondButNeverReplaceTheClassesOwn) {
  auto square = std::make_shared<Square>();
  IMP spin = +[](id self, SEL, bool clockwise) {
    std::static_pointer_cast<Shape>(self)->setVisible(clockwise);
  };

  bool added = class_addMethod(Square::classObject(), "spinClockwise:", spin, "v@:B");
  bool addedAgain = class_addMethod(Square::classObject(), "spinClockwise:", spin, "v@:B");
  bool replacedOwn =
      class_addMethod(Square::classObject(), "sides", IMP(+[](id, SEL) { return 9; }), "i@:");
  objc_msgSend(square, "spinClockwise:", false);

  EXPECT_TRUE(added);
  EXPECT_FALSE(addedAgain);
  EXPECT_FALSE(replacedOwn);
  EXPECT_FALSE(square->visible());
  EXPECT_TRUE(square->respondsToSelector("spinClockwise:"));
  EXPECT_FALSE(std::make_shared<Shape>()->respondsToSelector("spinClockwise:"));
  EXPECT_EQ(objc_msgSend<int>(square, "sides"), 4);
}

IMP previousSetFrame;
IMP previousSetFrameAgain;

void hookedSetFrame(id self, SEL cmd, Box frame) {
  previousSetFrame.call(self, cmd, frame);
  journal.push_back("hook");
}

void hookedSetFrameAgain(id self, SEL cmd, Box frame) {
  previousSetFrameAgain.call(self, cmd, frame);
  journal.push_back("second hook");
}

TEST(RuntimeHooks, HookingAnInheritedMethodForwardsToTheSuperclassAndLeavesItAlone) {
  journal.clear();
  id square = std::make_shared<Square>();
  id shape = std::make_shared<Shape>();
  IMP shapeImp = class_getMethodImplementation(Shape::classObject(), "setFrame:");

  MSHookMessageEx(Square::classObject(), "setFrame:", IMP(hookedSetFrame), &previousSetFrame);
  objc_msgSend(square, "setFrame:", Box{1, 2, 3, 4});
  objc_msgSend(shape, "setFrame:", Box{5, 6, 7, 8});
  MSHookMessageEx(Square::classObject(), "setFrame:", IMP(hookedSetFrameAgain),
                  &previousSetFrameAgain);
  objc_msgSend(square, "setFrame:", Box{0, 0, 9, 9});

  EXPECT_EQ(class_getMethodImplementation(Shape::classObject(), "setFrame:"), shapeImp);
  EXPECT_EQ((std::vector<std::string>{"Shape setFrame", "hook", "Shape setFrame", "Shape setFrame",
                                      "hook", "second hook"}),
            journal);
  EXPECT_EQ(std::static_pointer_cast<Square>(square)->frame_.width, 9);
  // Tile inherits from the hooked Square.
  journal.clear();
  objc_msgSend(id(std::make_shared<Tile>()), "setFrame:", Box{});
  EXPECT_EQ((std::vector<std::string>{"Shape setFrame", "hook", "second hook"}), journal);
}

TEST(RuntimeAssociations, ValuesAreRetainedAndDieWithTheirOwner) {
  static const char flagKey = 0;
  static const char weakKey = 0;
  static const char unusedKey = 0;
  std::weak_ptr<NSObject> watched;
  std::weak_ptr<NSObject> replaced;
  {
    id owner = std::make_shared<Shape>();
    id value = std::make_shared<NSObject>();
    id first = std::make_shared<NSObject>();
    watched = value;
    replaced = first;
    objc_setAssociatedObject(owner, &flagKey, first, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    objc_setAssociatedObject(owner, &flagKey, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    objc_setAssociatedObject(owner, &weakKey, first, OBJC_ASSOCIATION_ASSIGN);
    first.reset();
    value.reset();

    EXPECT_TRUE(replaced.expired());
    EXPECT_EQ(objc_getAssociatedObject(owner, &weakKey), nullptr);
    EXPECT_EQ(objc_getAssociatedObject(owner, &flagKey), watched.lock());
    EXPECT_EQ(objc_getAssociatedObject(owner, &unusedKey), nullptr);
  }

  EXPECT_TRUE(watched.expired());
}

TEST(RuntimeIvars, ObjectIvarsAreReadByNameThroughSubclasses) {
  auto tile = std::make_shared<Tile>();
  tile->owner_ = std::make_shared<Square>();

  Ivar ivar = class_getInstanceVariable(object_getClass(tile), "_owner");

  ASSERT_NE(ivar, nullptr);
  EXPECT_STREQ(ivar_getTypeEncoding(ivar), "@");
  EXPECT_EQ(object_getIvar(tile, ivar), tile->owner_);
  EXPECT_EQ(class_getInstanceVariable(Tile::classObject(), "_users"), nullptr);
}

}  // namespace
