// Fixed-capacity arrays indexed from a chosen lower bound (1 for nearly all
// arrays of the structure model, 0 for a few). operator[] asserts its index in
// debug and sanitizer builds; at() always checks and throws.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <memory>
#include <stdexcept>

namespace kevo {

template <class T, int Lo, int Hi> class BoundedArray {
    static_assert(Hi >= Lo, "empty bounded array");

  public:
    using value_type = T;
    static constexpr int low() { return Lo; }
    static constexpr int high() { return Hi; }
    static constexpr int size() { return Hi - Lo + 1; }

    T& operator[](int i) {
        assert(i >= Lo && i <= Hi && "index out of bounds");
        return data_[static_cast<std::size_t>(i - Lo)];
    }
    const T& operator[](int i) const {
        assert(i >= Lo && i <= Hi && "index out of bounds");
        return data_[static_cast<std::size_t>(i - Lo)];
    }
    T& at(int i) {
        check(i);
        return data_[static_cast<std::size_t>(i - Lo)];
    }
    const T& at(int i) const {
        check(i);
        return data_[static_cast<std::size_t>(i - Lo)];
    }

    void fill(const T& v) { data_.fill(v); }

    auto begin() { return data_.begin(); }
    auto end() { return data_.end(); }
    auto begin() const { return data_.begin(); }
    auto end() const { return data_.end(); }

    bool operator==(const BoundedArray&) const = default;

    static void check(int i) {
        if (i < Lo || i > Hi) throw std::out_of_range("array index out of bounds");
    }

  private:
    std::array<T, static_cast<std::size_t>(Hi - Lo + 1)> data_{};
};

// A BoundedArray whose storage is made on the first access through a
// non-const reference; until then every element reads as T{}. For the parts
// of a record that most records never use (the polyhedron geometry, the
// second sphere), so that such a record stays small and is cleared cheaply.
// A copy copies the elements; a copy of an array without storage has none,
// and assigning it frees the target's storage. Reads and writes, bounds
// included, behave as those of a BoundedArray.
template <class T, int Lo, int Hi> class LazyBoundedArray {
  public:
    using value_type = T;
    using Storage = BoundedArray<T, Lo, Hi>;
    static constexpr int low() { return Lo; }
    static constexpr int high() { return Hi; }
    static constexpr int size() { return Hi - Lo + 1; }

    LazyBoundedArray() = default;
    LazyBoundedArray(const LazyBoundedArray& o)
        : data_(o.data_ ? std::make_unique<Storage>(*o.data_) : nullptr) {}
    LazyBoundedArray& operator=(const LazyBoundedArray& o) {
        if (this == &o) return *this;
        if (!o.data_)
            data_.reset();
        else if (data_)
            *data_ = *o.data_;
        else
            data_ = std::make_unique<Storage>(*o.data_);
        return *this;
    }
    LazyBoundedArray(LazyBoundedArray&&) noexcept = default;
    LazyBoundedArray& operator=(LazyBoundedArray&&) noexcept = default;
    ~LazyBoundedArray() = default;

    T& operator[](int i) { return Data()[i]; }
    const T& operator[](int i) const {
        if (data_) return (*data_)[i];
        assert(i >= Lo && i <= Hi && "index out of bounds");
        return Blank();
    }
    T& at(int i) {
        Storage::check(i);
        return Data()[i];
    }
    const T& at(int i) const {
        Storage::check(i);
        return data_ ? (*data_)[i] : Blank();
    }

    void fill(const T& v) { Data().fill(v); }

    // Element i back to T{}; without storage there is nothing to clear.
    void SetBlank(int i) {
        if (data_)
            (*data_)[i] = T{};
        else
            Storage::check(i);
    }

    // Whether storage was made (for tests and measurements).
    bool HasStorage() const { return data_ != nullptr; }

  private:
    Storage& Data() {
        if (!data_) data_ = std::make_unique<Storage>();
        return *data_;
    }
    static const T& Blank() {
        static const T blank{};
        return blank;
    }
    std::unique_ptr<Storage> data_;
};

// array[1..N]
template <class T, int N> using Array1 = BoundedArray<T, 1, N>;

// array[1..N] with its storage made on first use.
template <class T, int N> using LazyArray1 = LazyBoundedArray<T, 1, N>;

// array[0..N]
template <class T, int N> using Array0 = BoundedArray<T, 0, N>;

} // namespace kevo
