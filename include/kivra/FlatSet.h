// A set of trivially copyable values (pointers) kept as one sorted array.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace kivra {

// Ordered by std::less<T> and free of duplicates, exactly like std::set<T>,
// so that every walk over it meets the members in the same order; it reads
// and changes like one (insert, range insert, find, count, erase,
// lower_bound, swap). The members lie in one sorted array, the first `N` of
// them inside the object itself: decomposition bags and covers hold a few
// members each and come by the million, and an rb-tree node per member costs
// five times the member and a pointer chase per step.
//
// Unlike std::set, inserting and erasing invalidate every iterator (erase
// returns the position of the next member, as std::set's does), and a member
// costs a move of the members after it, so large sets should be filled by
// one range insert.
template <class T, std::size_t N>
class FlatSet {
  static_assert(std::is_trivially_copyable_v<T>, "members are moved as bytes");
  static_assert(N >= 1, "at least one member inside the object");

 public:
  using value_type = T;
  using key_type = T;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using key_compare = std::less<T>;
  using value_compare = std::less<T>;
  using reference = const T&;
  using const_reference = const T&;
  using iterator = const T*;
  using const_iterator = const T*;

  FlatSet() noexcept {}
  FlatSet(std::initializer_list<T> values) { insert(values.begin(), values.end()); }
  template <class It>
  FlatSet(It first, It last) {
    insert(first, last);
  }
  FlatSet(const FlatSet& other) { copyFrom(other); }
  FlatSet(FlatSet&& other) noexcept { stealFrom(other); }
  FlatSet& operator=(const FlatSet& other) {
    if (this != &other) {
      size_ = 0;
      copyFrom(other);
    }
    return *this;
  }
  FlatSet& operator=(FlatSet&& other) noexcept {
    if (this != &other) {
      release();
      stealFrom(other);
    }
    return *this;
  }
  ~FlatSet() { release(); }

  const T* begin() const noexcept { return data(); }
  const T* end() const noexcept { return data() + size_; }
  const T* cbegin() const noexcept { return begin(); }
  const T* cend() const noexcept { return end(); }
  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  // Members that fit without a new allocation.
  std::size_t capacity() const noexcept { return capacity_; }

  // Empties the set; an array taken from the heap is kept for refilling.
  void clear() noexcept { size_ = 0; }

  std::pair<iterator, bool> insert(T value) {
    T* first = data();
    T* at = std::lower_bound(first, first + size_, value, less());
    if (at != first + size_ && !less()(value, *at)) return {at, false};
    const std::size_t i = static_cast<std::size_t>(at - first);
    if (size_ == capacity_) {
      grow(size_ + 1u);
      first = data();
    }
    std::memmove(first + i + 1, first + i, (size_ - i) * sizeof(T));
    first[i] = value;
    ++size_;
    return {first + i, true};
  }
  // With the end as hint, a value above every member is appended directly.
  iterator insert(const_iterator hint, T value) {
    if (hint == end() && (size_ == 0 || less()(data()[size_ - 1], value))) {
      if (size_ == capacity_) grow(size_ + 1u);
      data()[size_] = value;
      return data() + size_++;
    }
    return insert(value).first;
  }
  // A few values go in one by one; more are appended, sorted and merged
  // with the members in one pass, so filling a set is not quadratic.
  template <class It>
  void insert(It first, It last) {
    if constexpr (std::is_base_of_v<std::forward_iterator_tag, typename std::iterator_traits<It>::iterator_category>) {
      if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<It>>, T> && std::is_pointer_v<It>) {
        // A range of this set's own members adds nothing (and would move).
        if (first != last && !std::less<const T*>()(first, begin()) && std::less<const T*>()(first, end())) return;
      }
      const auto n = static_cast<std::size_t>(std::distance(first, last));
      if (n <= kOneByOne) {
        for (; first != last; ++first) insert(*first);
        return;
      }
      if (size_ + n > capacity_) grow(size_ + n);
    }
    const std::size_t old = size_;
    for (; first != last; ++first) {
      if (size_ == capacity_) grow(size_ + 1u);
      data()[size_++] = *first;
    }
    T* base = data();
    if (!std::is_sorted(base + old, base + size_, less())) std::sort(base + old, base + size_, less());
    if (old != 0 && size_ != old && !less()(base[old - 1], base[old]))
      std::inplace_merge(base, base + old, base + size_, less());
    size_ = static_cast<std::uint32_t>(std::unique(base, base + size_) - base);
  }
  void insert(std::initializer_list<T> values) { insert(values.begin(), values.end()); }

  // Removes the member at `at`; returns the position of the member after it.
  iterator erase(const_iterator at) {
    T* first = data();
    const std::size_t i = static_cast<std::size_t>(at - first);
    std::memmove(first + i, first + i + 1, (size_ - i - 1) * sizeof(T));
    --size_;
    return first + i;
  }
  iterator erase(const_iterator from, const_iterator to) {
    T* first = data();
    const std::size_t i = static_cast<std::size_t>(from - first);
    const std::size_t j = static_cast<std::size_t>(to - first);
    std::memmove(first + i, first + j, (size_ - j) * sizeof(T));
    size_ -= static_cast<std::uint32_t>(j - i);
    return first + i;
  }
  std::size_t erase(T value) {
    const T* at = find(value);
    if (at == end()) return 0;
    erase(at);
    return 1;
  }

  const_iterator lower_bound(T value) const { return std::lower_bound(begin(), end(), value, less()); }
  const_iterator upper_bound(T value) const { return std::upper_bound(begin(), end(), value, less()); }
  const_iterator find(T value) const {
    const T* at = lower_bound(value);
    return at != end() && !less()(value, *at) ? at : end();
  }
  std::size_t count(T value) const { return find(value) != end() ? 1 : 0; }
  bool contains(T value) const { return find(value) != end(); }

  void swap(FlatSet& other) noexcept {
    if (!isLocal() && !other.isLocal()) {
      std::swap(heap, other.heap);
      std::swap(size_, other.size_);
      std::swap(capacity_, other.capacity_);
      return;
    }
    FlatSet held(std::move(other));
    other = std::move(*this);
    *this = std::move(held);
  }
  friend void swap(FlatSet& a, FlatSet& b) noexcept { a.swap(b); }

  friend bool operator==(const FlatSet& a, const FlatSet& b) {
    return a.size_ == b.size_ && std::equal(a.begin(), a.end(), b.begin());
  }
  // Lexicographic, as std::set compares.
  friend bool operator<(const FlatSet& a, const FlatSet& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less());
  }

 private:
  static constexpr std::size_t kOneByOne = 8;
  static std::less<T> less() { return {}; }
  bool isLocal() const noexcept { return capacity_ == N; }
  T* data() noexcept { return isLocal() ? local : heap; }
  const T* data() const noexcept { return isLocal() ? local : heap; }

  // Room for at least `needed` members; doubles the capacity at least.
  void grow(std::size_t needed) {
    if (needed > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("FlatSet");
    std::size_t next = std::max<std::size_t>(needed, 2u * capacity_);
    next = std::min<std::size_t>(next, std::numeric_limits<std::uint32_t>::max());
    T* fresh = static_cast<T*>(::operator new(next * sizeof(T)));
    std::memcpy(fresh, data(), size_ * sizeof(T));
    release();
    heap = fresh;
    capacity_ = static_cast<std::uint32_t>(next);
  }
  void release() noexcept {
    if (!isLocal()) ::operator delete(heap);
    capacity_ = N;
  }
  void copyFrom(const FlatSet& other) {
    if (other.size_ > capacity_) grow(other.size_);
    std::memcpy(data(), other.data(), other.size_ * sizeof(T));
    size_ = other.size_;
  }
  // Takes other's members; other is left empty with its inside storage.
  void stealFrom(FlatSet& other) noexcept {
    if (other.isLocal()) {
      std::memcpy(local, other.local, other.size_ * sizeof(T));
    } else {
      heap = other.heap;
      capacity_ = other.capacity_;
      other.capacity_ = N;
    }
    size_ = other.size_;
    other.size_ = 0;
  }

  union {
    T local[N];
    T* heap;
  };
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = N;
};

}  // namespace kivra
