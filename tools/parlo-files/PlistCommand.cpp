// parlo-files plist: shows any property list as JSON, and converts between the XML and binary
// forms. Keyed archives are property lists too and take the same road.

#include <charconv>
#include <cstdio>
#include <string>

#include "Command.h"
#include "HostFiles.h"
#include "PropertyListJSON.h"
#include "foundation/PropertyList.h"

const char* const kPlistUsage =
    "  parlo-files plist dump FILE\n"
    "  parlo-files plist convert --to xml|binary IN OUT";

namespace {

int usage() {
  return fail("usage: parlo-files plist dump FILE | plist convert --to xml|binary IN OUT");
}

// The property list in `path`, or nothing after reporting why.
std::optional<plist::Value> load(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (HostFileResult read = readHostFile(path, bytes); !read.ok) {
    fail(path + ": " + read.error);
    return std::nullopt;
  }
  plist::Result<plist::Value> parsed = plist::read(bytes);
  if (!parsed) {
    fail(path + ": " + parsed.error);
    return std::nullopt;
  }
  return std::move(parsed.value);
}

int dump(Arguments arguments) {
  if (arguments.size() != 1) return usage();
  std::optional<plist::Value> value = load(arguments[0]);
  if (!value) return 1;
  if (!writePropertyListJSON(*value, stdout)) return fail("cannot write to standard output");
  return 0;
}

// The first date that XML would write as another date (NaN, or beyond the years 1 to 9999).
const plist::Date* firstUnspellableDate(const plist::Value& value) {
  if (const auto* date = value.get<plist::Date>())
    return plist::canFormatDate(*date) ? nullptr : date;
  if (const auto* array = value.get<plist::Array>()) {
    for (const plist::Value& element : *array) {
      if (const plist::Date* found = firstUnspellableDate(element)) return found;
    }
  }
  if (const auto* dictionary = value.get<plist::Dictionary>()) {
    for (const auto& [key, element] : *dictionary) {
      if (const plist::Date* found = firstUnspellableDate(element)) return found;
    }
  }
  return nullptr;
}

int convert(Arguments arguments) {
  std::string format;
  if (arguments.size() == 4 && arguments[0] == "--to") {
    format = arguments[1];
    arguments = arguments.subspan(2);
  } else if (arguments.size() == 3 && arguments[0].starts_with("--to=")) {
    format = arguments[0].substr(5);
    arguments = arguments.subspan(1);
  } else {
    return usage();
  }
  if (format != "xml" && format != "binary") {
    return fail("unknown format \"" + format + "\": use xml or binary");
  }

  std::optional<plist::Value> value = load(arguments[0]);
  if (!value) return 1;
  if (format == "xml") {
    if (const plist::Date* date = firstUnspellableDate(*value)) {
      char seconds[32];
      const auto [end, error] =
          std::to_chars(seconds, seconds + sizeof seconds, date->secondsSinceReferenceDate);
      return fail(arguments[0] + ": a date (" + std::string(seconds, end) +
                  " s from 2001-01-01) has no XML spelling; the binary form keeps it");
    }
  }
  const std::vector<uint8_t> bytes =
      format == "xml" ? plist::writeXML(*value) : plist::writeBinary(*value);
  if (HostFileResult written = writeHostFileAtomically(arguments[1], bytes); !written.ok) {
    return fail(arguments[1] + ": " + written.error);
  }
  return 0;
}

}  // namespace

int runPlistCommand(Arguments arguments) {
  if (arguments.empty()) return usage();
  if (arguments[0] == "dump") return dump(arguments.subspan(1));
  if (arguments[0] == "convert") return convert(arguments.subspan(1));
  return fail("unknown plist command \"" + arguments[0] + "\"");
}

static const CommandRegistration registration("plist", kPlistUsage, runPlistCommand);
