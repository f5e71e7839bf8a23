#include "engine/core/ListModel.h"

namespace quorvane {

void ListModel::SetColumns(std::vector<Column> columns) {
    columns_ = std::move(columns);
    for (Row& row : rows_) {
        row.cells.resize(columns_.size());
    }
}

std::size_t ListModel::InsertRow(std::size_t index, std::string_view column0, int image) {
    if (index > rows_.size()) {
        index = rows_.size();
    }
    Row row;
    row.cells.resize(columns_.empty() ? 1 : columns_.size());
    row.cells[0] = column0;
    row.image = image;
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
    return index;
}

void ListModel::SetCell(std::size_t row, std::size_t column, std::string_view text) {
    if (row < rows_.size() && column < rows_[row].cells.size()) {
        rows_[row].cells[column] = text;
    }
}

std::string ListModel::Cell(std::size_t row, std::size_t column) const {
    if (row < rows_.size() && column < rows_[row].cells.size()) {
        return rows_[row].cells[column];
    }
    return {};
}

void ListModel::SetChecked(std::size_t row, bool checked) {
    if (row < rows_.size()) {
        rows_[row].checked = checked;
    }
}

bool ListModel::Checked(std::size_t row) const {
    return row < rows_.size() && rows_[row].checked;
}

void ListModel::DeleteRow(std::size_t row) {
    if (row < rows_.size()) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    }
}

} // namespace quorvane
