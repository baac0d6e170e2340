#include <gtest/gtest.h>

#include "Script.h"

using sim::Command;
using sim::parseScript;

TEST(ScriptParser, ReadsEveryCommandWithItsArgumentsAndLine) {
  auto script = parseScript(
      "# a comment\n"
      "tap 10 20\n"
      "tap \"Send\" [2]\n"
      "\n"
      "doubletap \"Hello\"\n"
      "press \"Maya\" 2.1   # trailing comment\n"
      "press 5 6 0.5\n"
      "drag 1 2 3 4 0.25\n"
      "pinch 195 400 1 2.5 0.5\n"
      "type \"Hi \\\"there\\\"\"\n"
      "paste \"a\\\\b\"\n"
      "key return\n"
      "wait 3\n"
      "appearance dark\n"
      "snapshot out/inbox.png\n"
      "dump \"tree.json\"\n"
      "expect text \"Parlo\"\n"
      "expect no-text \"Cancel\"\n"
      "expect haptics 2\n");

  ASSERT_EQ(script.error, "");
  ASSERT_EQ(script.commands.size(), 17u);
  const auto& c = script.commands;
  EXPECT_EQ(c[0].kind, Command::Kind::Tap);
  EXPECT_EQ(c[0].line, 2);
  EXPECT_EQ(c[0].target.point->x, 10);
  EXPECT_EQ(c[0].target.point->y, 20);
  EXPECT_EQ(c[1].target.text, "Send");
  EXPECT_EQ(c[1].target.index, 2);
  EXPECT_FALSE(c[1].target.point);
  EXPECT_EQ(c[2].kind, Command::Kind::DoubleTap);
  EXPECT_EQ(c[2].line, 5);
  EXPECT_EQ(c[2].target.index, 1);
  EXPECT_EQ(c[3].kind, Command::Kind::Press);
  EXPECT_EQ(c[3].target.text, "Maya");
  EXPECT_DOUBLE_EQ(c[3].seconds, 2.1);
  EXPECT_EQ(c[4].target.point->y, 6);
  EXPECT_DOUBLE_EQ(c[4].seconds, 0.5);
  EXPECT_EQ(c[5].kind, Command::Kind::Drag);
  EXPECT_EQ(c[5].to.x, 3);
  EXPECT_EQ(c[5].to.y, 4);
  EXPECT_EQ(c[6].kind, Command::Kind::Pinch);
  EXPECT_EQ(c[6].from.x, 195);
  EXPECT_DOUBLE_EQ(c[6].scaleTo, 2.5);
  EXPECT_EQ(c[7].text, "Hi \"there\"");
  EXPECT_EQ(c[8].kind, Command::Kind::Paste);
  EXPECT_EQ(c[8].text, "a\\b");
  EXPECT_EQ(c[9].text, "return");
  EXPECT_DOUBLE_EQ(c[10].seconds, 3);
  EXPECT_EQ(c[11].text, "dark");
  EXPECT_EQ(c[12].text, "out/inbox.png");
  EXPECT_EQ(c[13].text, "tree.json");
  EXPECT_EQ(c[14].kind, Command::Kind::ExpectText);
  EXPECT_EQ(c[15].kind, Command::Kind::ExpectNoText);
  EXPECT_EQ(c[15].text, "Cancel");
  EXPECT_EQ(c[16].kind, Command::Kind::ExpectHaptics);
  EXPECT_EQ(c[16].count, 2);
}

TEST(ScriptParser, AHashInsideQuotesIsText) {
  auto script = parseScript("expect text \"#1 fan\"\n");

  ASSERT_EQ(script.error, "");
  EXPECT_EQ(script.commands.at(0).text, "#1 fan");
}

TEST(ScriptParser, NamesTheLineOfTheFirstMistakeAndKeepsWhatCameBefore) {
  struct Case {
    const char* line;
    const char* fragment;
  };
  const Case cases[] = {
      {"wave 1 2", "unknown command wave"},
      {"tap 10", "missing y"},
      {"tap ten 20", "x is not a number"},
      {"tap \"Send\" [0]", "[N]"},
      {"tap \"Send\" [x]", "[N]"},
      {"tap \"Send", "not closed"},
      {"press \"Send\"", "missing seconds"},
      {"press 1 2 -1", "negative"},
      {"wait 1 2", "unexpected 2"},
      {"wait nan", "not a number"},
      {"key escape", "return or backspace"},
      {"appearance blue", "light or dark"},
      {"type hello", "double quotes"},
      {"expect text Hello", "double quotes"},
      {"expect maybe \"Hello\"", "text, no-text or haptics"},
      {"expect haptics", "missing the number"},
      {"expect haptics 1.5", "whole number"},
      {"expect haptics -1", "whole number"},
      {"expect haptics 1 2", "unexpected 2"},
      {"pinch 1 2 0 1 1", "above 0"},
      {"snapshot", "missing the file name"},
      {"type \"a\\q\"", "unknown escape"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    auto script = parseScript(std::string("wait 1\n# fine\n") + c.line + "\nwait 2\n");

    EXPECT_EQ(script.errorLine, 3);
    EXPECT_NE(script.error.find(c.fragment), std::string::npos) << script.error;
    EXPECT_EQ(script.commands.size(), 1u);
  }
}

TEST(ScriptParser, EmptyAndCommentOnlyScriptsHaveNoCommands) {
  for (const char* source : {"", "\n\n", "# only a comment\n   \t\n", "wait 1\r\n"}) {
    auto script = parseScript(source);

    EXPECT_EQ(script.error, "") << source;
  }
  EXPECT_EQ(parseScript("wait 1\r\n").commands.size(), 1u);
}
