// Lines scanned a group at a time ahead of their queries: each line of a group
// is scanned (its point read, its grid rows asked for with MappedGrid::Prefetch),
// then the group is finished (queried and written) in input order, so that the
// memory waits of the group's points overlap instead of following one another.
// The point files and the heights files run their lines this way.
#pragma once

#include <array>
#include <cstddef>

namespace egm2008 {

/// Lines a group holds: enough to overlap the memory waits of their queries.
inline constexpr std::size_t kScanAhead = 16;

/// A group of scanned lines; the room of each is reused from group to group.
template <typename Scanned>
class ScanAhead {
public:
    /// The room the next line is scanned into.
    Scanned& Next() { return group_[count_]; }
    /// Takes the line scanned into Next(); true when the group is full and is to be finished.
    bool Take() { return ++count_ == group_.size(); }
    /// Calls `finish` with each line taken, in order, and empties the group.
    template <typename Finish>
    void FinishAll(Finish&& finish) {
        for (std::size_t k = 0; k < count_; ++k) finish(group_[k]);
        count_ = 0;
    }

private:
    std::array<Scanned, kScanAhead> group_{};
    std::size_t count_ = 0;
};

}  // namespace egm2008
