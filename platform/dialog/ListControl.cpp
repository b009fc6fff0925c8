#include "platform/dialog/ListControl.h"

#include <QHeaderView>

#include <algorithm>

namespace kelvo::dialog {

int ListControlModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int ListControlModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant ListControlModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const QStringList& row = rows[static_cast<std::size_t>(index.row())];
        return index.column() < row.size() ? row[index.column()] : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(columns[static_cast<std::size_t>(index.column())].alignment |
                                   Qt::AlignVCenter);
    }
    return {};
}

QVariant ListControlModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const Column& column = columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) {
        return column.heading;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    }
    return {};
}

void ListControlModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
    column = std::clamp(column, 0, columnCount());
    beginInsertColumns({}, column, column);
    columns.insert(columns.begin() + column, Column{heading, alignment});
    for (QStringList& row : rows) {
        if (column < row.size()) {
            row.insert(column, QString());
        }
    }
    endInsertColumns();
}

void ListControlModel::DeleteAllColumns() {
    if (columns.empty()) {
        return;
    }
    beginResetModel();
    columns.clear();
    for (QStringList& row : rows) {
        row.clear();
    }
    endResetModel();
}

int ListControlModel::InsertItem(int position, const QString& text) {
    position = std::clamp(position, 0, rowCount());
    beginInsertRows({}, position, position);
    rows.insert(rows.begin() + position, QStringList{text});
    endInsertRows();
    return position;
}

bool ListControlModel::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return false;
    }
    QStringList& cells = rows[static_cast<std::size_t>(row)];
    while (cells.size() <= column) {
        cells.append(QString());
    }
    cells[column] = text;
    Q_EMIT dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
    return true;
}

QString ListControlModel::GetItemText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0) {
        return {};
    }
    const QStringList& cells = rows[static_cast<std::size_t>(row)];
    return column < cells.size() ? cells[column] : QString();
}

void ListControlModel::DeleteAllItems() {
    if (rows.empty()) {
        return;
    }
    beginResetModel();
    rows.clear();
    endResetModel();
}

ListControl::ListControl(QWidget* parent) : QTableView(parent), model(new ListControlModel(this)) {
    setModel(model);
    verticalHeader()->hide();
    // Uniform row heights let the view place rows without measuring each one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(false);
}

void ListControl::InsertColumn(int column, const QString& heading, Qt::Alignment alignment,
                               int width) {
    model->InsertColumn(column, heading, alignment);
    setColumnWidth(std::clamp(column, 0, model->columnCount() - 1), width);
}

void ListControl::DeleteAllColumns() {
    model->DeleteAllColumns();
}

int ListControl::InsertItem(int position, const QString& text) {
    return model->InsertItem(position, text);
}

bool ListControl::SetItemText(int row, int column, const QString& text) {
    return model->SetItemText(row, column, text);
}

QString ListControl::GetItemText(int row, int column) const {
    return model->GetItemText(row, column);
}

int ListControl::GetItemCount() const {
    return model->rowCount();
}

void ListControl::DeleteAllItems() {
    model->DeleteAllItems();
}

void ListControl::SetExtendedStyles(bool gridLines, bool fullRowSelect) {
    setShowGrid(gridLines);
    setSelectionBehavior(fullRowSelect ? QAbstractItemView::SelectRows
                                       : QAbstractItemView::SelectItems);
}

} // namespace kelvo::dialog
