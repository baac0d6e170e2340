#include "ChatSamples.h"

#include <cairo.h>

#include <cmath>
#include <string_view>

#include "chat/ChatDataModel.h"
#include "foundation/NSData.h"
#include "quartz/CGContext+Private.h"
#include "render/Renderer.h"
#include "uikit/UIImage.h"

namespace ChatSamples {

namespace {

// The words people use most; about two words in five come from here.
constexpr std::string_view kCommon[] = {
    "I",    "you",  "the",  "a",    "to",    "and",  "it",    "is",   "that", "of",
    "in",   "me",   "my",   "we",   "so",    "for",  "on",    "just", "be",   "was",
    "are",  "have", "do",   "not",  "but",   "what", "at",    "this", "with", "can",
    "lol",  "ok",   "yeah", "no",   "it's",  "I'm",  "don't", "like", "get",  "go",
    "your", "all",  "if",   "know", "too",   "now",  "will",  "u",    "up",   "oh",
    "haha", "she",  "he",   "they", "there", "how",  "out",   "one",  "did",  "got"};

// Everyday words; the rest are drawn from here.
constexpr std::string_view kWords[] = {
    "hey",       "hi",        "hello",      "morning",   "night",      "tonight",    "today",
    "tomorrow",  "yesterday", "weekend",    "week",      "month",      "year",       "time",
    "later",     "soon",      "early",      "late",      "already",    "still",      "again",
    "always",    "never",     "maybe",      "probably",  "definitely", "really",     "actually",
    "literally", "honestly",  "basically",  "totally",   "pretty",     "very",       "much",
    "more",      "less",      "little",     "bit",       "lot",        "some",       "any",
    "every",     "nothing",   "something",  "anything",  "everything", "someone",    "everyone",
    "nobody",    "here",      "where",      "when",      "why",        "who",        "which",
    "because",   "though",    "about",      "after",     "before",     "around",     "over",
    "under",     "between",   "through",    "into",      "from",       "until",      "while",
    "see",       "look",      "watch",      "hear",      "listen",     "say",        "tell",
    "talk",      "call",      "text",       "send",      "ask",        "answer",     "think",
    "feel",      "want",      "need",       "love",      "hate",       "miss",       "hope",
    "wish",      "try",       "make",       "take",      "give",       "bring",      "keep",
    "leave",     "stay",      "come",       "went",      "left",       "came",       "meet",
    "wait",      "start",     "stop",       "finish",    "open",       "close",      "buy",
    "pay",       "eat",       "drink",      "cook",      "sleep",      "wake",       "work",
    "play",      "read",      "write",      "drive",     "walk",       "run",        "forget",
    "remember",  "believe",   "understand", "guess",     "mean",       "sound",      "seem",
    "happen",    "change",    "move",       "show",      "find",       "lose",       "win",
    "good",      "great",     "nice",       "cool",      "awesome",    "amazing",    "fine",
    "bad",       "terrible",  "weird",      "funny",     "crazy",      "cute",       "beautiful",
    "tired",     "busy",      "free",       "ready",     "sure",       "happy",      "sad",
    "sorry",     "excited",   "bored",      "hungry",    "sick",       "new",        "old",
    "big",       "small",     "long",       "short",     "fast",       "slow",       "hot",
    "cold",      "warm",      "cheap",      "expensive", "easy",       "hard",       "quiet",
    "loud",      "empty",     "full",       "best",      "worst",      "favourite",  "last",
    "next",      "first",     "whole",      "other",     "same",       "different",  "real",
    "friend",    "friends",   "mom",        "dad",       "sister",     "brother",    "family",
    "baby",      "guy",       "girl",       "people",    "boss",       "team",       "class",
    "home",      "house",     "room",       "place",     "city",       "street",     "car",
    "bus",       "train",     "flight",     "airport",   "station",    "office",     "school",
    "gym",       "park",      "beach",      "store",     "shop",       "restaurant", "bar",
    "party",     "dinner",    "lunch",      "breakfast", "coffee",     "tea",        "pizza",
    "burger",    "sushi",     "cake",       "snacks",    "wine",       "beer",       "water",
    "food",      "phone",     "battery",    "charger",   "laptop",     "email",      "message",
    "photo",     "photos",    "picture",    "video",     "story",      "post",       "song",
    "music",     "movie",     "series",     "episode",   "game",       "book",       "news",
    "weather",   "rain",      "snow",       "sun",       "money",      "ticket",     "tickets",
    "plan",      "plans",     "idea",       "problem",   "question",   "reason",     "chance",
    "minute",    "minutes",   "hour",       "hours",     "day",        "days",       "birthday",
    "holiday",   "trip",      "vacation",   "date",      "meeting",    "interview",  "job",
    "rooftop",   "concert",   "festival",   "wedding",   "gift",       "dress",      "shoes",
    "jacket",    "keys",      "wallet",     "bag",       "door",       "window",     "dog",
    "cat",       "café",      "naïve",      "résumé",    "jalapeño",   "fiancée",    "okay",
    "can't",     "won't",     "didn't",     "doesn't",   "isn't",      "wasn't",     "haven't",
    "I'll",      "I've",      "I'd",        "you're",    "you'll",     "we're",      "we'll",
    "they're",   "that's",    "there's",    "what's",    "let's",      "he's",       "she's",
    "omg",       "lmao",      "btw",        "idk",       "tbh",        "ugh",        "wow",
    "yay",       "hmm",       "nope",       "yep",       "thanks",     "thank",      "please",
    "congrats",  "cheers",    "bye",        "goodnight", "xoxo",       "ahh",        "hahaha"};

constexpr std::string_view kEndings[] = {".", ".", ".", "!", "?", "!!", "?!", "..."};
constexpr std::string_view kEmoji[] = {"😂", "❤️", "👍🏽", "🔥", "🎉", "🙏",
                                       "😅", "😭",      "🥰",     "👀", "✨", "👨‍👩‍👧"};

// Deterministic and the same everywhere, unlike the standard distributions.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint32_t next(uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33) % bound;
  }

 private:
  uint64_t state_;
};

template <size_t N>
std::string_view pick(Random& random, const std::string_view (&list)[N]) {
  return list[random.next(N)];
}

void appendCapitalised(std::string& text, std::string_view word) {
  const size_t at = text.size();
  text += word;
  if (text[at] >= 'a' && text[at] <= 'z') text[at] = static_cast<char>(text[at] - 'a' + 'A');
}

// Sentences of a few words, some capitalised, most ended by punctuation, the odd comma inside.
std::string text(Random& random, size_t length) {
  const bool capitalises = random.next(3) != 0;
  const bool breaksLines = length > 60 && random.next(6) == 0;
  std::string text;
  size_t sentenceWords = 0;
  while (text.size() < length) {
    const bool startsSentence = sentenceWords == 0;
    if (!text.empty()) text += breaksLines && startsSentence && random.next(3) == 0 ? '\n' : ' ';
    const auto word = random.next(5) < 2 ? pick(random, kCommon) : pick(random, kWords);
    if (startsSentence && capitalises) {
      appendCapitalised(text, word);
    } else {
      text += word;
    }
    ++sentenceWords;
    if (sentenceWords >= 3 && random.next(8) == 0) {
      text += pick(random, kEndings);
      sentenceWords = 0;
    } else if (sentenceWords >= 2 && random.next(14) == 0) {
      text += ',';
    }
  }
  if (sentenceWords > 0 && random.next(2) == 0) text += pick(random, kEndings);
  if (random.next(10) == 0) {
    text += ' ';
    text += pick(random, kEmoji);
  }
  return text;
}

}  // namespace

std::vector<Message> messages(size_t count, uint64_t seed) {
  Random random(seed);
  std::vector<Message> chat;
  chat.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t roll = random.next(100);
    const size_t length = roll < 60   ? 1 + random.next(40)
                          : roll < 90 ? 40 + random.next(120)
                                      : 160 + random.next(241);
    std::string body = text(random, length);
    const bool incoming = random.next(2) == 0;
    chat.push_back({std::move(body), incoming, random.next(10) == 0});
  }
  return chat;
}

std::vector<std::shared_ptr<ChatDataModel>> records(size_t count, uint64_t seed) {
  std::vector<std::shared_ptr<ChatDataModel>> chat;
  chat.reserve(count);
  for (auto& message : messages(count, seed)) {
    chat.push_back(ChatDataModel::alloc()->initWithMessage(
        message.text, message.incoming ? ChatMessageType::Incoming : ChatMessageType::Outgoing,
        message.incoming, message.liked, false));
  }
  return chat;
}

std::shared_ptr<UIImage> avatar() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 150, 150);
  cairo_t* cr = cairo_create(surface);
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 150, 150);
  cairo_pattern_add_color_stop_rgb(gradient, 0, 0.9, 0.5, 0.2);
  cairo_pattern_add_color_stop_rgb(gradient, 1, 0.2, 0.3, 0.8);
  cairo_set_source(cr, gradient);
  cairo_paint(cr);
  cairo_pattern_destroy(gradient);
  cairo_set_source_rgb(cr, 0.95, 0.85, 0.7);
  cairo_arc(cr, 75, 60, 35, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_destroy(cr);
  std::vector<uint8_t> bytes = CGBitmapCopyPNGData(surface);
  cairo_surface_destroy(surface);
  return UIImage::imageWithData(NSData::dataWithBytes(std::move(bytes)));
}

}  // namespace ChatSamples
