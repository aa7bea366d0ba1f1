// At most a given number of the items of a run of any length, spread evenly
// over it and kept in their order: every item until the sample is full, then
// every second one, then every fourth... (the kept items are those whose
// place in the run is a multiple of the stride). Memory stays at the
// capacity whatever the run's length; what a map or a plot of a long file
// shows. Not thread-safe: one thread adds, in the run's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace egm2008 {

template <class T>
class EvenSample {
public:
    /// Keeps at most `capacity` items (at least 2).
    explicit EvenSample(std::size_t capacity) : capacity_(capacity < 2 ? 2 : capacity) {}

    void Add(const T& item) {
        if (seen_++ % stride_ != 0) return;
        items_.push_back(item);
        if (items_.size() >= capacity_) Halve();
    }

    /// The items kept, in the order they came.
    const std::vector<T>& items() const { return items_; }
    /// Items added in all.
    std::uint64_t seen() const { return seen_; }
    void Clear() {
        items_.clear();
        seen_ = 0;
        stride_ = 1;
    }

private:
    // Keeps every second item, and takes every second of those to come.
    void Halve() {
        std::size_t kept = 0;
        for (std::size_t k = 0; k < items_.size(); k += 2) items_[kept++] = items_[k];
        items_.resize(kept);
        stride_ *= 2;
    }

    std::size_t capacity_;
    std::vector<T> items_;
    std::uint64_t seen_ = 0;
    std::uint64_t stride_ = 1;
};

}  // namespace egm2008
