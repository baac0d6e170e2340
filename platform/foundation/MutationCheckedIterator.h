#pragma once

// The read-only iterator of the collections: it walks a vector of elements and throws, as the
// platform's enumeration raises its exception, once the collection has changed under it. The
// collection counts its mutations; the iterator keeps the count it started from.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/RuntimeError.h"

template <typename Element>
class MutationCheckedIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Element;
  using difference_type = std::ptrdiff_t;
  using pointer = const Element*;
  using reference = const Element&;

  MutationCheckedIterator() = default;
  // `className` names the mutable class in the exception, as the platform's message does.
  MutationCheckedIterator(const std::vector<Element>* elements, const uint64_t* mutations,
                          size_t index, const char* className)
      : elements_(elements),
        mutations_(mutations),
        index_(index),
        startMutations_(*mutations),
        className_(className) {}

  const Element& operator*() const {
    check();
    return elements_->at(index_);
  }
  const Element* operator->() const { return &**this; }
  MutationCheckedIterator& operator++() {
    check();
    ++index_;
    return *this;
  }
  MutationCheckedIterator operator++(int) {
    MutationCheckedIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const MutationCheckedIterator& other) const { return index_ == other.index_; }

 private:
  void check() const {
    if (mutations_ && *mutations_ != startMutations_) {
      throw objc::RuntimeError(std::string("*** Collection <") + className_ +
                               "> was mutated while being enumerated.");
    }
  }

  const std::vector<Element>* elements_ = nullptr;
  const uint64_t* mutations_ = nullptr;
  size_t index_ = 0;
  uint64_t startMutations_ = 0;
  const char* className_ = "";
};
