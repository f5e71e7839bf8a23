#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A visible list (MainList, FileTypeList, RawResultList) without a widget:
// columns with their headers and widths, rows of text cells with an image
// index and a check mark. The Qt views render it.
class ListModel {
public:
    struct Column {
        std::string header;
        int width = 0;
    };
    struct Row {
        std::vector<std::string> cells;
        int image = -1;
        bool checked = false;
    };

    void SetColumns(std::vector<Column> columns);
    const std::vector<Column>& Columns() const { return columns_; }
    std::size_t ColumnCount() const { return columns_.size(); }

    std::size_t RowCount() const { return rows_.size(); }
    // Inserts at `index` (past the end appends) and returns the row's index.
    std::size_t InsertRow(std::size_t index, std::string_view column0, int image = -1);
    std::size_t AppendRow(std::string_view column0, int image = -1) {
        return InsertRow(rows_.size(), column0, image);
    }
    // No effect on a row or column the list does not have.
    void SetCell(std::size_t row, std::size_t column, std::string_view text);
    std::string Cell(std::size_t row, std::size_t column) const;
    void SetChecked(std::size_t row, bool checked);
    bool Checked(std::size_t row) const;
    const Row& RowAt(std::size_t row) const { return rows_.at(row); }
    void DeleteRow(std::size_t row);
    void DeleteAll() { rows_.clear(); }

private:
    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

} // namespace quorvane
