// The binary property-list form, bplist00: a table of objects, each found through an offset
// table and referring to others by index. The reader checks every number in the file against the
// file before using it; the writer lays objects out as Foundation does.

#include <cstring>
#include <limits>
#include <unordered_map>

#include "foundation/PropertyList.h"
#include "foundation/PropertyListDetail.h"
#include "foundation/UTF16.h"

namespace plist {
namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr size_t kTrailerSize = 32;

uint64_t readBigEndian(const uint8_t* p, size_t size) {
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value = (value << 8) | p[i];
  return value;
}

bool hasRepeatedKey(const Dictionary& dictionary) {
  std::unordered_map<std::string_view, bool> seen;
  for (const auto& entry : dictionary) {
    if (!seen.emplace(entry.first, true).second) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Reading

class BinaryReader {
 public:
  explicit BinaryReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  Result<Value> read() {
    if (!readTrailer()) return fail();

    struct Frame {
      uint64_t ref;
      bool isDictionary;
      uint64_t count;
      size_t refs;  // where the object's references start
      uint64_t next = 0;
      Array array;
      Dictionary dictionary;
    };
    std::vector<Frame> stack;
    std::optional<Value> root;
    onPath_.assign(objectCount_, false);

    // Turns a reference into a value, or into a new frame when it is a container.
    auto open = [&](uint64_t ref, std::optional<Value>& leaf) -> bool {
      if (onPath_[ref]) return error("object " + std::to_string(ref) + " contains itself");
      Object object;
      if (!readObject(ref, object)) return false;
      if (!object.isContainer) {
        leaf = std::move(object.value);
        return true;
      }
      if (stack.size() >= kMaxDepth) return error("containers are nested too deeply");
      if (!charge(object.count * sizeof(Value) * (object.isDictionary ? 2 : 1))) return false;
      Frame frame{ref, object.isDictionary, object.count, object.refs, 0, {}, {}};
      if (object.isDictionary) {
        frame.dictionary.reserve(object.count);
        bool lossyKey = false;
        // Keys first: they are strings, never containers, so they are read on the spot.
        for (uint64_t i = 0; i < object.count; ++i) {
          uint64_t keyRef = 0;
          if (!readRef(object.refs, i, keyRef)) return false;
          Object key;
          if (!readObject(keyRef, key)) return false;
          std::string* text = key.value.get<std::string>();
          if (key.isContainer || !text) return error("a dictionary key is not a string");
          frame.dictionary.emplace_back(std::move(*text), Value());
          lossyKey = lossyKey || key.lossy;
        }
        // Two keys that differ only where a lone surrogate became U+FFFD would merge, and one
        // value would vanish without a word.
        if (lossyKey && hasRepeatedKey(frame.dictionary)) {
          return error("two keys of a dictionary read as the same text (a lone UTF-16 surrogate)");
        }
      } else {
        frame.array.reserve(object.count);
      }
      onPath_[ref] = true;
      stack.push_back(std::move(frame));
      return true;
    };

    std::optional<Value> leaf;
    if (!open(topObject_, leaf)) return fail();
    if (leaf) root = std::move(leaf);

    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next == frame.count) {
        Value value;
        if (frame.isDictionary) {
          detail::removeDuplicateKeys(frame.dictionary);
          value = std::move(frame.dictionary);
        } else {
          value = std::move(frame.array);
        }
        onPath_[frame.ref] = false;
        stack.pop_back();
        if (stack.empty()) {
          root = std::move(value);
        } else {
          place(stack.back(), std::move(value));
        }
        continue;
      }

      uint64_t childRef = 0;
      const uint64_t slot = frame.isDictionary ? frame.count + frame.next : frame.next;
      if (!readRef(frame.refs, slot, childRef)) return fail();
      std::optional<Value> child;
      // `open` may grow the stack, so `frame` is not used after it.
      if (!open(childRef, child)) return fail();
      if (child) place(stack.back(), std::move(*child));
    }
    return {std::move(root), {}};
  }

 private:
  struct Object {
    bool isContainer = false;
    bool isDictionary = false;
    uint64_t count = 0;
    size_t refs = 0;
    Value value;
    // A UTF-16 string whose lone surrogates became U+FFFD in the UTF-8 value.
    bool lossy = false;
  };

  template <class Frame>
  static void place(Frame& frame, Value value) {
    if (frame.isDictionary) {
      frame.dictionary[frame.next].second = std::move(value);
    } else {
      frame.array.push_back(std::move(value));
    }
    ++frame.next;
  }

  Result<Value> fail() const { return {std::nullopt, "binary property list: " + error_}; }
  bool error(std::string message) {
    error_ = std::move(message);
    return false;
  }

  // Objects shared by many references are copied into each place that refers to them; the budget
  // keeps a small file from claiming a huge tree that way.
  bool charge(uint64_t bytes) {
    if (bytes > budget_) return error("the objects expand beyond the size limit");
    budget_ -= bytes;
    return true;
  }

  bool readTrailer() {
    const size_t size = bytes_.size();
    if (size < kMagic.size() + kTrailerSize + 2 ||
        std::memcmp(bytes_.data(), kMagic.data(), kMagic.size()) != 0) {
      return error("not a bplist00 file");
    }
    // Generous for real files, whose expanded size is a small multiple of their own.
    budget_ = (uint64_t(32) << 20) + uint64_t(32) * size;

    const uint8_t* trailer = bytes_.data() + size - kTrailerSize;
    offsetSize_ = trailer[6];
    refSize_ = trailer[7];
    objectCount_ = readBigEndian(trailer + 8, 8);
    topObject_ = readBigEndian(trailer + 16, 8);
    const uint64_t tableOffset = readBigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) {
      return error("bad offset or reference size in the trailer");
    }
    if (objectCount_ == 0 || topObject_ >= objectCount_) return error("bad object count");
    const uint64_t tableSpace = size - kTrailerSize;
    if (tableOffset <= kMagic.size() || tableOffset >= tableSpace) {
      return error("offset table out of range");
    }
    if (objectCount_ > (tableSpace - tableOffset) / offsetSize_) {
      return error("offset table runs past the trailer");
    }
    tableOffset_ = static_cast<size_t>(tableOffset);
    return true;
  }

  // Objects lie between the header and the offset table.
  size_t objectsEnd() const { return tableOffset_; }

  bool readRef(size_t refs, uint64_t index, uint64_t& ref) {
    // In range by the count check of the container, done when it was read.
    ref = readBigEndian(bytes_.data() + refs + index * refSize_, refSize_);
    if (ref >= objectCount_)
      return error("object reference " + std::to_string(ref) + " out of range");
    return true;
  }

  bool readCount(uint8_t marker, size_t& pos, uint64_t& count) {
    count = marker & 0x0F;
    if (count != 0x0F) return true;
    if (pos >= objectsEnd()) return error("truncated count");
    const uint8_t intMarker = bytes_[pos];
    if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3) return error("malformed count");
    const size_t width = size_t(1) << (intMarker & 0x0F);
    if (width > objectsEnd() - pos - 1) return error("truncated count");
    count = readBigEndian(bytes_.data() + pos + 1, width);
    pos += 1 + width;
    return true;
  }

  bool readObject(uint64_t ref, Object& object) {
    const uint64_t offset =
        readBigEndian(bytes_.data() + tableOffset_ + ref * offsetSize_, offsetSize_);
    if (offset < kMagic.size() || offset >= objectsEnd()) {
      return error("object " + std::to_string(ref) + " has an offset out of range");
    }
    size_t pos = static_cast<size_t>(offset);
    const uint8_t marker = bytes_[pos++];
    const size_t available = objectsEnd() - pos;
    const uint8_t low = marker & 0x0F;

    switch (marker >> 4) {
      case 0x0:
        if (marker == 0x08 || marker == 0x09) {
          object.value = marker == 0x09;
          return charge(sizeof(Value));
        }
        return error("null and fill objects have no value");
      case 0x1: {
        if (low > 4) return error("bad integer width");
        const size_t width = size_t(1) << low;
        if (width > available) return error("truncated integer");
        const uint8_t* p = bytes_.data() + pos;
        if (width == 16) {
          // Foundation writes unsigned values above INT64_MAX as 128-bit integers.
          const uint64_t high = readBigEndian(p, 8), lowWord = readBigEndian(p + 8, 8);
          if (high == 0) {
            object.value = Integer{static_cast<int64_t>(lowWord), lowWord > uint64_t(INT64_MAX)};
          } else if (high == ~uint64_t(0) && lowWord > uint64_t(INT64_MAX)) {
            object.value = Integer{static_cast<int64_t>(lowWord), false};
          } else {
            return error("integer beyond 64 bits");
          }
        } else {
          // 1, 2 and 4 bytes are unsigned; 8 bytes are signed.
          object.value = Integer{static_cast<int64_t>(readBigEndian(p, width)), false};
        }
        return charge(sizeof(Value));
      }
      case 0x2:
      case 0x3: {
        const bool isDate = marker >> 4 == 0x3;
        if (low != 3 && (low != 2 || isDate)) return error("bad real or date width");
        const size_t width = size_t(1) << low;
        if (width > available) return error("truncated real or date");
        const uint64_t bits = readBigEndian(bytes_.data() + pos, width);
        double real;
        if (width == 4) {
          float single;
          const auto bits32 = static_cast<uint32_t>(bits);
          std::memcpy(&single, &bits32, 4);
          real = single;
        } else {
          std::memcpy(&real, &bits, 8);
        }
        if (isDate) {
          object.value = Date{real};
        } else {
          object.value = real;
        }
        return charge(sizeof(Value));
      }
      case 0x4:
      case 0x5:
      case 0x6: {
        uint64_t count = 0;
        if (!readCount(marker, pos, count)) return false;
        const size_t left = objectsEnd() - pos;
        const uint64_t unitSize = marker >> 4 == 0x6 ? 2 : 1;
        if (count > left / unitSize) return error("data or string runs past the objects");
        if (!charge(sizeof(Value) + count * unitSize)) return false;
        const uint8_t* p = bytes_.data() + pos;
        if (marker >> 4 == 0x4) {
          object.value = Data(p, p + count);
        } else if (marker >> 4 == 0x5) {
          for (uint64_t i = 0; i < count; ++i) {
            if (p[i] >= 0x80) return error("non-ASCII byte in an ASCII string");
          }
          object.value = std::string(reinterpret_cast<const char*>(p), count);
        } else {
          std::u16string units(count, u'\0');
          for (uint64_t i = 0; i < count; ++i) {
            units[i] = static_cast<char16_t>((p[2 * i] << 8) | p[2 * i + 1]);
          }
          object.lossy = firstLoneSurrogate(units) != std::u16string::npos;
          object.value = toUTF8(units);
        }
        return true;
      }
      case 0x8: {
        const size_t width = size_t(low) + 1;
        if (width > available) return error("truncated UID");
        const uint8_t* p = bytes_.data() + pos;
        for (size_t i = 0; i + 8 < width; ++i) {
          if (p[i] != 0) return error("UID beyond 64 bits");
        }
        const size_t used = width > 8 ? 8 : width;
        object.value = UID{readBigEndian(p + width - used, used)};
        return charge(sizeof(Value));
      }
      case 0xA:
      case 0xD: {
        uint64_t count = 0;
        if (!readCount(marker, pos, count)) return false;
        const uint64_t refsPerEntry = marker >> 4 == 0xD ? 2 : 1;
        const size_t left = objectsEnd() - pos;
        if (count > left / refSize_ / refsPerEntry) return error("container runs past the objects");
        object.isContainer = true;
        object.isDictionary = marker >> 4 == 0xD;
        object.count = count;
        object.refs = pos;
        return true;
      }
      default:
        return error("unsupported object type " + std::to_string(marker >> 4));
    }
  }

  std::span<const uint8_t> bytes_;
  size_t offsetSize_ = 0;
  size_t refSize_ = 0;
  uint64_t objectCount_ = 0;
  uint64_t topObject_ = 0;
  size_t tableOffset_ = 0;
  uint64_t budget_ = 0;
  std::vector<bool> onPath_;
  std::string error_;
};

// ---------------------------------------------------------------------------------------------
// Writing

// The fewest of 1, 2, 4 or 8 bytes that hold `value`.
size_t widthFor(uint64_t value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFF) return 4;
  return 8;
}

void appendBigEndian(std::string& out, uint64_t value, size_t width) {
  for (size_t i = width; i-- > 0;) out += static_cast<char>(value >> (8 * i));
}

// A marker with its count in the low nibble, or followed by an integer when it does not fit.
void appendMarker(std::string& out, uint8_t type, uint64_t count) {
  if (count < 15) {
    out += static_cast<char>(type << 4 | count);
    return;
  }
  out += static_cast<char>(type << 4 | 0x0F);
  const size_t width = widthFor(count);
  out += static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3));
  appendBigEndian(out, count, width);
}

void appendDouble(std::string& out, uint8_t marker, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  out += static_cast<char>(marker);
  appendBigEndian(out, bits, 8);
}

class BinaryWriter {
 public:
  std::vector<uint8_t> write(const Value& root) {
    flatten(root);

    const size_t refSize = widthFor(objects_.size());
    std::string out(kMagic);
    std::vector<uint64_t> offsets;
    offsets.reserve(objects_.size());
    for (const Object& object : objects_) {
      offsets.push_back(out.size());
      if (!object.isContainer) {
        out += object.bytes;
        continue;
      }
      const uint64_t count = object.isDictionary ? object.refs.size() / 2 : object.refs.size();
      appendMarker(out, object.isDictionary ? 0xD : 0xA, count);
      for (uint64_t ref : object.refs) appendBigEndian(out, ref, refSize);
    }

    const uint64_t tableOffset = out.size();
    const size_t offsetSize = widthFor(tableOffset);
    for (uint64_t offset : offsets) appendBigEndian(out, offset, offsetSize);
    out.append(6, '\0');  // unused bytes and the sort version
    out += static_cast<char>(offsetSize);
    out += static_cast<char>(refSize);
    appendBigEndian(out, objects_.size(), 8);
    appendBigEndian(out, 0, 8);  // the root is object 0
    appendBigEndian(out, tableOffset, 8);
    return std::vector<uint8_t>(out.begin(), out.end());
  }

 private:
  struct Object {
    bool isContainer = false;
    bool isDictionary = false;
    std::string bytes;           // a scalar's complete encoding
    std::vector<uint64_t> refs;  // a container's: keys then values, or elements
  };

  // Numbers objects in Foundation's order: a container, then its keys, then each value (or
  // element) followed at once by everything inside it. A scalar whose encoding was seen before
  // is not written again; its encoding names its type as well as its value, so 1 and 1.0 and
  // true stay distinct.
  uint64_t flatten(const Value& value) {
    if (const Array* array = value.get<Array>()) {
      const uint64_t ref = addContainer(false);
      std::vector<uint64_t> refs;
      refs.reserve(array->size());
      for (const Value& element : *array) refs.push_back(flatten(element));
      objects_[ref].refs = std::move(refs);
      return ref;
    }
    if (const Dictionary* dictionary = value.get<Dictionary>()) {
      Dictionary deduplicated;
      if (hasRepeatedKey(*dictionary)) {
        deduplicated = *dictionary;
        detail::removeDuplicateKeys(deduplicated);
        dictionary = &deduplicated;
      }
      const uint64_t ref = addContainer(true);
      std::vector<uint64_t> refs;
      refs.reserve(dictionary->size() * 2);
      for (const auto& entry : *dictionary) refs.push_back(addScalar(encodeString(entry.first)));
      for (const auto& entry : *dictionary) refs.push_back(flatten(entry.second));
      objects_[ref].refs = std::move(refs);
      return ref;
    }
    return addScalar(encodeScalar(value));
  }

  uint64_t addContainer(bool isDictionary) {
    objects_.push_back({true, isDictionary, {}, {}});
    return objects_.size() - 1;
  }

  uint64_t addScalar(std::string bytes) {
    auto [it, inserted] = unique_.try_emplace(bytes, objects_.size());
    if (inserted) objects_.push_back({false, false, std::move(bytes), {}});
    return it->second;
  }

  static std::string encodeString(const std::string& text) {
    std::string out;
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<uint8_t>(c) < 0x80;
    if (ascii) {
      appendMarker(out, 0x5, text.size());
      out += text;
      return out;
    }
    const std::u16string units = toUTF16(text);
    appendMarker(out, 0x6, units.size());
    for (char16_t unit : units) appendBigEndian(out, unit, 2);
    return out;
  }

  static std::string encodeScalar(const Value& value) {
    std::string out;
    if (const bool* flag = value.get<bool>()) {
      out += static_cast<char>(*flag ? 0x09 : 0x08);
    } else if (const Integer* integer = value.get<Integer>()) {
      if (integer->value < 0 && integer->isUnsigned) {
        out += static_cast<char>(0x14);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, static_cast<uint64_t>(integer->value), 8);
      } else {
        // Negative values always take 8 bytes: shorter widths read back as unsigned.
        const uint64_t bits = static_cast<uint64_t>(integer->value);
        const size_t width = integer->value < 0 ? 8 : widthFor(bits);
        out += static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3));
        appendBigEndian(out, bits, width);
      }
    } else if (const double* real = value.get<double>()) {
      appendDouble(out, 0x23, *real);
    } else if (const Date* date = value.get<Date>()) {
      appendDouble(out, 0x33, date->secondsSinceReferenceDate);
    } else if (const Data* data = value.get<Data>()) {
      appendMarker(out, 0x4, data->size());
      out.append(data->begin(), data->end());
    } else if (const std::string* text = value.get<std::string>()) {
      out = encodeString(*text);
    } else if (const UID* uid = value.get<UID>()) {
      const size_t width = widthFor(uid->value);
      out += static_cast<char>(0x80 | (width - 1));
      appendBigEndian(out, uid->value, width);
    }
    return out;
  }

  std::vector<Object> objects_;
  std::unordered_map<std::string, uint64_t> unique_;
};

}  // namespace

Result<Value> readBinary(std::span<const uint8_t> bytes) {
  return BinaryReader(bytes).read();
}

std::vector<uint8_t> writeBinary(const Value& root) {
  return BinaryWriter().write(root);
}

}  // namespace plist
