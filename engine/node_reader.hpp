// How the query routines reach the grid's nodes.
//
// Every routine, once it has placed the point in its cell, opens the grid,
// has the rows it will read checked, reads the nodes it needs and closes the
// grid again (also when a value then fails the plausibility check) through a
// NodeReader. GridFileReader is the per-query access: it opens the file for
// reading only, checks its length and first record marker, then both record
// markers of the rows the query reads and that no hole (an unwritten stretch
// of a sparse or interrupted copy, which reads as zeros) lies in them, reads
// each node by a positioned 4-byte read and closes the file. A run that
// queries many points may pass a reader that reads through a cache or mapping
// it owns and checked the whole file when it made it; the routines' results
// are the same.
#pragma once

#include <cstdint>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

/// Access to the nodes of one grid file, for the length of one query.
class NodeReader {
public:
    virtual ~NodeReader() = default;
    /// Makes the grid readable; StatusError (the user already told) when it cannot be.
    virtual QueryStatus Open(const GeoidGrid& grid) = 0;
    /// The value of node (r, c) of a grid with `columns` values a row; 0.0 past the end of the
    /// file.
    virtual float ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                           std::int32_t c) = 0;
    /// Ends the access that Open began.
    virtual void Close() = 0;
    /// Checks the records of rows firstRow..lastRow (those in the file) of a grid
    /// with `columns` values a row, after Open and before their nodes are read. On
    /// a wrong record marker or a hole tells the user, ends the access and returns
    /// StatusError. The default answers StatusOk, for readers that checked the whole
    /// file before (a MappedGrid when it mapped it).
    virtual QueryStatus CheckRows(const GeoidGrid& grid, std::int64_t columns,
                                  std::int32_t firstRow, std::int32_t lastRow);
};

/// True when `bytes` hold the record marker of a row of `columns` values: 4 * columns
/// in the grid's byte order.
bool IsRecordMarker(const unsigned char bytes[4], const GeoidGrid& grid, std::int64_t columns);

/// True when rows first..last of the grid file open as `fd` (rows of `columns` values,
/// all within the file) have both record markers right (an older model's rows have none)
/// and hold no hole, which would read as zeros. Reads the markers at the row boundaries, one
/// positioned read each, and asks the file system for a hole once; where it cannot tell, none is
/// assumed.
bool RowsSound(int fd, const GeoidGrid& grid, std::int64_t columns, std::int64_t first,
               std::int64_t last);

/// True when the file open as `fd` begins with the EGM96 file's header (kEgm96Header).
bool Egm96HeaderAt(int fd);

/// Opens `grid.path` for reading only and checks that it is a regular file whose
/// length and first record marker (an older model's: length and header) fit the grid. On
/// success returns StatusOk with `fd` open (the caller closes it) and `size` set;
/// otherwise tells `notifier` why and returns StatusError with nothing open.
QueryStatus OpenGridFile(const GeoidGrid& grid, Notifier& notifier, int& fd, std::uint64_t& size);

/// Per-query access to the grid file: open and check, positioned reads, close.
class GridFileReader final : public NodeReader {
public:
    explicit GridFileReader(Notifier& notifier) : notifier_(notifier) {}
    ~GridFileReader() override { Close(); }
    GridFileReader(const GridFileReader&) = delete;
    GridFileReader& operator=(const GridFileReader&) = delete;

    QueryStatus Open(const GeoidGrid& grid) override;
    float ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                   std::int32_t c) override;
    void Close() override;
    /// Checks the rows by RowsSound.
    QueryStatus CheckRows(const GeoidGrid& grid, std::int64_t columns, std::int32_t firstRow,
                          std::int32_t lastRow) override;

private:
    Notifier& notifier_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace egm2008::engine
