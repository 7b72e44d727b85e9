// Records that exist only when a structure needs them: a 1-based array of at
// most N records, of which records 1..size() exist. A model costs memory in
// proportion to the largest structure it has held, not to the capacity.
//
// Writers make room first with Ensure(n); a record once made lives, at the
// same address, as long as the array, so a model that held a large structure
// reuses those records (reset) for the next one, and references to records
// stay valid while others are added. operator[] asserts that the record
// exists in debug and sanitizer builds; at() always checks.
#pragma once

#include <cassert>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kevo {

template <class T, int N> class RecordArray {
    static_assert(N >= 1, "empty record array");

  public:
    using value_type = T;
    static constexpr int capacity() { return N; }

    // The records that exist: 1..size().
    int size() const { return static_cast<int>(records_.size()); }

    // Records 1..n exist afterwards; those made now are blank (as T{} leaves
    // them), those that existed keep their contents. More than N records are
    // refused with std::length_error: the writers check the limit, with its
    // message, before they get here.
    void Ensure(int n) {
        if (n > N) throw std::length_error("more records than the array holds");
        if (n <= size()) return;
        records_.reserve(static_cast<std::size_t>(n));
        while (size() < n)
            records_.push_back(std::make_unique<T>(Blank()));
    }

    T& operator[](int i) {
        assert(i >= 1 && i <= size() && "record does not exist");
        return *records_[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const {
        assert(i >= 1 && i <= size() && "record does not exist");
        return *records_[static_cast<std::size_t>(i - 1)];
    }
    T& at(int i) {
        check(i);
        return *records_[static_cast<std::size_t>(i - 1)];
    }
    const T& at(int i) const {
        check(i);
        return *records_[static_cast<std::size_t>(i - 1)];
    }

  private:
    // A record as T{} leaves it. New records are copies of it: one pass over
    // their memory, every byte defined.
    static const T& Blank() {
        static const T blank{};
        return blank;
    }
    void check(int i) const {
        if (i < 1 || i > size()) throw std::out_of_range("record does not exist");
    }
    std::vector<std::unique_ptr<T>> records_;
};

} // namespace kevo
