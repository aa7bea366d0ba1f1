// A run's access to the grid file: opened, checked and mapped read-only once,
// then read by every query of the run (one user action), and unmapped when the
// run drops it. The check covers the whole file: its length, both record
// markers of every row, and that it holds no hole (a sparse or interrupted
// copy, whose missing stretches read as zeros). The mapping's pages belong to
// the system's file cache; nothing of the grid is copied into the run's memory.
//
// Queries through a MappedGrid give exactly the results of the per-query file
// access, which checks only the rows it reads. When the file cannot be opened
// or does not fit the grid, Map tells the user once and every query of the run
// answers StatusError without a message of its own. Reads are const: one
// MappedGrid may serve several threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/file_access.hpp"
#include "engine/node_reader.hpp"

namespace egm2008::engine {

class MappedGrid final : public NodeReader {
public:
    MappedGrid() = default;
    ~MappedGrid() override { Unmap(); }
    MappedGrid(const MappedGrid&) = delete;
    MappedGrid& operator=(const MappedGrid&) = delete;

    /// Opens, checks (length, every record marker, no hole) and maps `grid.path`;
    /// on failure tells `notifier` once and returns StatusError.
    QueryStatus Map(const GeoidGrid& grid, Notifier& notifier);
    /// Releases the mapping; later queries answer StatusError.
    void Unmap();
    /// Status of the last Map (StatusError before any).
    QueryStatus status() const { return status_; }

    /// StatusOk while mapped; no message, Map told the user already.
    QueryStatus Open(const GeoidGrid& grid) override;
    float ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                   std::int32_t c) override;
    void Close() override {}

    /// A hint, changing no result: asks the processor to fetch the rows that a
    /// query by `method` at this point (longitude -360..360) will read, so that a
    /// run scanning points ahead of their queries overlaps their memory waits.
    void Prefetch(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                  double longitude) const;

private:
    ReadOnlyMapping mapping_;
    QueryStatus status_ = QueryStatus::StatusError;
};

}  // namespace egm2008::engine
