#include "uikit/NSAttributedString.h"

#include <algorithm>

#include "foundation/UTF16.h"
#include "runtime/RuntimeError.h"

OBJC_CLASS_IMPL(NSAttributedString) {
  c.method("string", &NSAttributedString::string).method("length", &NSAttributedString::length);
}

OBJC_CLASS_IMPL(NSMutableAttributedString) {}

namespace {

const std::shared_ptr<NSDictionary>& emptyAttributes() {
  static const auto empty = NSDictionary::dictionary();
  return empty;
}

// Runs keep immutable dictionaries, so a caller that changes its mutable one later changes nothing.
std::shared_ptr<NSDictionary> frozen(const std::shared_ptr<NSDictionary>& attributes) {
  if (!attributes || attributes->count() == 0) return emptyAttributes();
  if (attributes->isMemberOfClass(NSDictionary::classObject())) return attributes;
  return attributes->copy();
}

bool sameAttributes(const std::shared_ptr<NSDictionary>& a,
                    const std::shared_ptr<NSDictionary>& b) {
  return a == b || a->isEqualToDictionary(*b);
}

bool sameValue(const id& a, const id& b) {
  return a == b || (a && b && a->isEqual(b));
}

}  // namespace

NSAttributedString::NSAttributedString() : string_(NSString::string()) {}

std::shared_ptr<NSAttributedString> NSAttributedString::initWithString(
    const std::shared_ptr<NSString>& string, const std::shared_ptr<NSDictionary>& attributes) {
  if (!string) throw objc::RuntimeError("-[NSAttributedString initWithString:]: nil value");
  string_ = string->copy();
  runs_.clear();
  if (string_->length() > 0) runs_.push_back({0, string_->length(), frozen(attributes)});
  return selfAs<NSAttributedString>();
}

std::shared_ptr<NSAttributedString> NSAttributedString::initWithString(
    std::string_view utf8, const std::shared_ptr<NSDictionary>& attributes) {
  return initWithString(NSString::string(utf8), attributes);
}

std::shared_ptr<NSAttributedString> NSAttributedString::initWithAttributedString(
    const NSAttributedString& other) {
  string_ = other.string_;
  runs_ = other.runs_;
  return selfAs<NSAttributedString>();
}

void NSAttributedString::checkRange(NSRange range, const char* method) const {
  NSUInteger length = string_->length();
  if (range.location > length || range.length > length - range.location) {
    throw objc::RuntimeError(std::string(method) + ": range " + NSStringFromRange(range) +
                             " out of bounds; string length " + std::to_string(length));
  }
}

size_t NSAttributedString::runIndexAt(NSUInteger index) const {
  auto after = std::upper_bound(runs_.begin(), runs_.end(), index,
                                [](NSUInteger i, const Run& run) { return i < run.location; });
  return static_cast<size_t>(after - runs_.begin()) - 1;
}

std::shared_ptr<NSDictionary> NSAttributedString::attributesAtIndex(NSUInteger index,
                                                                    NSRange* effectiveRange) const {
  if (index >= string_->length()) {
    throw objc::RuntimeError("-[NSAttributedString attributesAtIndex:effectiveRange:]: index " +
                             std::to_string(index) + " out of bounds; string length " +
                             std::to_string(string_->length()));
  }
  const Run& run = runs_[runIndexAt(index)];
  if (effectiveRange) *effectiveRange = NSMakeRange(run.location, run.length);
  return run.attributes;
}

id NSAttributedString::attribute(NSAttributedStringKey name, NSUInteger index,
                                 NSRange* effectiveRange) const {
  id value = attributesAtIndex(index)->objectForKey(name);
  size_t at = runIndexAt(index);
  if (effectiveRange) {
    size_t first = at, last = at;
    while (first > 0 && sameValue(runs_[first - 1].attributes->objectForKey(name), value)) --first;
    while (last + 1 < runs_.size() &&
           sameValue(runs_[last + 1].attributes->objectForKey(name), value)) {
      ++last;
    }
    *effectiveRange =
        NSMakeRange(runs_[first].location,
                    NSMaxRange({runs_[last].location, runs_[last].length}) - runs_[first].location);
  }
  return value;
}

std::vector<NSAttributedString::Run> NSAttributedString::runsInRange(NSRange range) const {
  std::vector<Run> clipped;
  if (range.length == 0) return clipped;
  for (size_t i = runIndexAt(range.location); i < runs_.size(); ++i) {
    const Run& run = runs_[i];
    if (run.location >= NSMaxRange(range)) break;
    NSUInteger start = std::max(run.location, range.location);
    NSUInteger end = std::min(run.location + run.length, NSMaxRange(range));
    clipped.push_back({start - range.location, end - start, run.attributes});
  }
  return clipped;
}

std::shared_ptr<NSAttributedString> NSAttributedString::attributedSubstringFromRange(
    NSRange range) const {
  checkRange(range, "-[NSAttributedString attributedSubstringFromRange:]");
  auto made = NSAttributedString::alloc();
  made->string_ = NSString::stringWithCharacters(
      std::u16string_view(string_->characters()).substr(range.location, range.length));
  made->runs_ = runsInRange(range);
  return made;
}

void NSAttributedString::enumerateAttributesInRange(NSRange range,
                                                    NSAttributedStringEnumerationOptions options,
                                                    const AttributesBlock& block) const {
  checkRange(range, "-[NSAttributedString enumerateAttributesInRange:options:usingBlock:]");
  std::vector<Run> clipped = runsInRange(range);
  if (options & NSAttributedStringEnumerationReverse) std::reverse(clipped.begin(), clipped.end());
  bool stop = false;
  for (const Run& run : clipped) {
    block(run.attributes, NSMakeRange(run.location + range.location, run.length), &stop);
    if (stop) return;
  }
}

void NSAttributedString::enumerateAttribute(NSAttributedStringKey name, NSRange range,
                                            NSAttributedStringEnumerationOptions options,
                                            const AttributeBlock& block) const {
  checkRange(range, "-[NSAttributedString enumerateAttribute:inRange:options:usingBlock:]");
  // Neighbouring runs that differ only in other attributes make one range here.
  std::vector<std::pair<id, NSRange>> spans;
  for (const Run& run : runsInRange(range)) {
    id value = run.attributes->objectForKey(name);
    NSRange at = NSMakeRange(run.location + range.location, run.length);
    if (!spans.empty() && sameValue(spans.back().first, value)) {
      spans.back().second.length += at.length;
    } else {
      spans.emplace_back(value, at);
    }
  }
  if (options & NSAttributedStringEnumerationReverse) std::reverse(spans.begin(), spans.end());
  bool stop = false;
  for (const auto& [value, at] : spans) {
    block(value, at, &stop);
    if (stop) return;
  }
}

bool NSAttributedString::isEqualToAttributedString(const NSAttributedString& other) const {
  if (!string_->isEqualToString(*other.string_) || runs_.size() != other.runs_.size()) {
    return false;
  }
  for (size_t i = 0; i < runs_.size(); ++i) {
    if (runs_[i].length != other.runs_[i].length ||
        !sameAttributes(runs_[i].attributes, other.runs_[i].attributes)) {
      return false;
    }
  }
  return true;
}

std::shared_ptr<NSAttributedString> NSAttributedString::copy() const {
  return NSAttributedString::alloc()->initWithAttributedString(*this);
}

std::shared_ptr<NSMutableAttributedString> NSAttributedString::mutableCopy() const {
  return NSMutableAttributedString::alloc()->initWithAttributedString(*this);
}

bool NSAttributedString::isEqual(const id& other) const {
  auto text = std::dynamic_pointer_cast<NSAttributedString>(other);
  return text && isEqualToAttributedString(*text);
}

size_t NSAttributedString::hash() const {
  return string_->hash();
}

std::string NSAttributedString::description() const {
  std::string out;
  const std::u16string& units = string_->characters();
  for (const Run& run : runs_) {
    out += toUTF8(std::u16string_view(units).substr(run.location, run.length));
    out += run.attributes->description();
  }
  return out;
}

size_t NSAttributedString::splitAt(NSUInteger index) {
  if (index == 0) return 0;
  if (index >= string_->length()) return runs_.size();
  size_t at = runIndexAt(index);
  Run& run = runs_[at];
  if (run.location == index) return at;
  Run tail{index, run.location + run.length - index, run.attributes};
  run.length = index - run.location;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(at) + 1, tail);
  return at + 1;
}

void NSAttributedString::normalize() {
  std::vector<Run> joined;
  joined.reserve(runs_.size());
  NSUInteger location = 0;
  for (Run& run : runs_) {
    if (run.length == 0) continue;
    if (!joined.empty() && sameAttributes(joined.back().attributes, run.attributes)) {
      joined.back().length += run.length;
    } else {
      joined.push_back({location, run.length, run.attributes});
    }
    location += run.length;
  }
  runs_ = std::move(joined);
}

void NSAttributedString::replace(NSRange range, std::u16string_view units, std::vector<Run> runs) {
  const std::u16string& old = string_->characters();
  std::u16string text;
  text.reserve(old.size() - range.length + units.size());
  text.append(old, 0, range.location);
  text.append(units);
  text.append(old, NSMaxRange(range));

  splitAt(range.location);
  size_t last = splitAt(NSMaxRange(range));
  size_t first = splitAt(range.location);
  runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
              runs_.begin() + static_cast<std::ptrdiff_t>(last));
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(first), runs.begin(), runs.end());
  string_ = NSString::stringWithCharacters(text);
  normalize();
}

void NSAttributedString::changeAttributes(
    NSRange range,
    const std::function<std::shared_ptr<NSDictionary>(const NSDictionary&)>& change) {
  if (range.length == 0) return;
  size_t first = splitAt(range.location);
  size_t last = splitAt(NSMaxRange(range));
  for (size_t i = first; i < last; ++i) runs_[i].attributes = frozen(change(*runs_[i].attributes));
  normalize();
}

// ---- NSMutableAttributedString ----

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithString(
    const std::shared_ptr<NSString>& string, const std::shared_ptr<NSDictionary>& attributes) {
  NSAttributedString::initWithString(string, attributes);
  return selfAs<NSMutableAttributedString>();
}

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithString(
    std::string_view utf8, const std::shared_ptr<NSDictionary>& attributes) {
  return initWithString(NSString::string(utf8), attributes);
}

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithAttributedString(
    const NSAttributedString& other) {
  NSAttributedString::initWithAttributedString(other);
  return selfAs<NSMutableAttributedString>();
}

void NSMutableAttributedString::setAttributes(const std::shared_ptr<NSDictionary>& attributes,
                                              NSRange range) {
  checkRange(range, "-[NSMutableAttributedString setAttributes:range:]");
  auto replacement = frozen(attributes);
  changeAttributes(range, [&](const NSDictionary&) { return replacement; });
}

void NSMutableAttributedString::addAttribute(NSAttributedStringKey name, const id& value,
                                             NSRange range) {
  checkRange(range, "-[NSMutableAttributedString addAttribute:value:range:]");
  if (!value)
    throw objc::RuntimeError("-[NSMutableAttributedString addAttribute:value:range:]: nil value");
  auto key = NSString::string(name);
  changeAttributes(range, [&](const NSDictionary& old) -> std::shared_ptr<NSDictionary> {
    auto changed = old.mutableCopy();
    changed->setObject(value, key);
    return changed;
  });
}

void NSMutableAttributedString::addAttributes(const std::shared_ptr<NSDictionary>& attributes,
                                              NSRange range) {
  checkRange(range, "-[NSMutableAttributedString addAttributes:range:]");
  if (!attributes || attributes->count() == 0) return;
  changeAttributes(range, [&](const NSDictionary& old) -> std::shared_ptr<NSDictionary> {
    auto changed = old.mutableCopy();
    changed->addEntriesFromDictionary(*attributes);
    return changed;
  });
}

void NSMutableAttributedString::removeAttribute(NSAttributedStringKey name, NSRange range) {
  checkRange(range, "-[NSMutableAttributedString removeAttribute:range:]");
  auto key = NSString::string(name);
  changeAttributes(range, [&](const NSDictionary& old) -> std::shared_ptr<NSDictionary> {
    if (!old.objectForKey(key)) return old.copy();
    auto changed = old.mutableCopy();
    changed->removeObjectForKey(key);
    return changed;
  });
}

void NSMutableAttributedString::replaceWithPlain(NSRange range, std::u16string_view units) {
  std::shared_ptr<NSDictionary> inherited = emptyAttributes();
  if (range.length > 0) {
    inherited = attributesAtIndex(range.location);
  } else if (range.location > 0) {
    inherited = attributesAtIndex(range.location - 1);
  } else if (length() > 0) {
    inherited = attributesAtIndex(0);
  }
  std::vector<Run> runs;
  if (!units.empty()) runs.push_back({0, units.size(), inherited});
  replace(range, units, std::move(runs));
}

void NSMutableAttributedString::replaceCharactersInRange(NSRange range, const NSString& string) {
  checkRange(range, "-[NSMutableAttributedString replaceCharactersInRange:withString:]");
  std::u16string units = string.characters();  // `string` may be our own
  replaceWithPlain(range, units);
}

void NSMutableAttributedString::replaceCharactersInRange(NSRange range, std::string_view utf8) {
  checkRange(range, "-[NSMutableAttributedString replaceCharactersInRange:withString:]");
  replaceWithPlain(range, toUTF16(utf8));
}

void NSMutableAttributedString::replaceCharactersInRange(NSRange range,
                                                         const NSAttributedString& other) {
  checkRange(range, "-[NSMutableAttributedString replaceCharactersInRange:withAttributedString:]");
  auto keep = other.string();  // `other` may be this string
  std::vector<Run> runs = runsOf(other);
  replace(range, keep->characters(), std::move(runs));
}

void NSMutableAttributedString::insertAttributedString(const NSAttributedString& other,
                                                       NSUInteger location) {
  replaceCharactersInRange(NSMakeRange(location, 0), other);
}

void NSMutableAttributedString::appendAttributedString(const NSAttributedString& other) {
  replaceCharactersInRange(NSMakeRange(length(), 0), other);
}

void NSMutableAttributedString::deleteCharactersInRange(NSRange range) {
  checkRange(range, "-[NSMutableAttributedString deleteCharactersInRange:]");
  replace(range, {}, {});
}

void NSMutableAttributedString::setAttributedString(const NSAttributedString& other) {
  initWithAttributedString(other);
}
