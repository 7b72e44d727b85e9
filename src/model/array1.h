// Fixed-capacity arrays indexed from a chosen lower bound (1 for nearly all
// arrays of the structure model, 0 for a few). operator[] asserts its index in
// debug and sanitizer builds; at() always checks and throws.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
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

  private:
    static void check(int i) {
        if (i < Lo || i > Hi) throw std::out_of_range("array index out of bounds");
    }
    std::array<T, static_cast<std::size_t>(Hi - Lo + 1)> data_{};
};

// array[1..N]
template <class T, int N> using Array1 = BoundedArray<T, 1, N>;

// array[0..N]
template <class T, int N> using Array0 = BoundedArray<T, 0, N>;

} // namespace kevo
