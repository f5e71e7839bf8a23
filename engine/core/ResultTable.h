#pragma once

#include "engine/core/CellText.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// An ordered table of typed rows (insertion order, never sorted). `Row` gives
// the column headers and the text form of each cell:
//   static constexpr std::array<std::string_view, N> kHeaders;
//   std::string Cell(std::size_t column) const;      // "" past the last column
//   void SetCell(std::size_t column, std::string_view text);  // no effect past it
// The typed members are the working form; the text forms are used wherever a
// cell is shown, stored or compared as text, and give the same outcome.
template <typename Row> class ResultTable {
public:
    static constexpr std::size_t ColumnCount() { return Row::kHeaders.size(); }
    static constexpr std::string_view Header(std::size_t column) {
        return column < Row::kHeaders.size() ? Row::kHeaders[column] : std::string_view();
    }

    std::size_t RowCount() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }

    // Inserts at `index` (past the end appends) and returns the row's index.
    std::size_t Insert(std::size_t index, Row row) {
        if (index > rows_.size()) {
            index = rows_.size();
        }
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
        return index;
    }
    std::size_t Append(Row row) { return Insert(rows_.size(), std::move(row)); }

    // Inserts an empty row with the text of column 0.
    std::size_t InsertRow(std::size_t index, std::string_view column0) {
        Row row{};
        row.SetCell(0, column0);
        return Insert(index, std::move(row));
    }

    void SetCell(std::size_t row, std::size_t column, std::string_view text) {
        if (row < rows_.size()) {
            rows_[row].SetCell(column, text);
        }
    }
    std::string Cell(std::size_t row, std::size_t column) const {
        return row < rows_.size() ? rows_[row].Cell(column) : std::string();
    }
    // The cell as read into a caller's buffer of `bufferSize` bytes.
    std::string Cell(std::size_t row, std::size_t column, std::size_t bufferSize) const {
        return CutToBuffer(Cell(row, column), bufferSize);
    }

    void DeleteRow(std::size_t row) {
        if (row < rows_.size()) {
            rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
        }
    }
    void DeleteAll() { rows_.clear(); }

    Row& operator[](std::size_t row) { return rows_.at(row); }
    const Row& operator[](std::size_t row) const { return rows_.at(row); }
    auto begin() { return rows_.begin(); }
    auto end() { return rows_.end(); }
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }

private:
    std::vector<Row> rows_;
};

} // namespace quorvane
