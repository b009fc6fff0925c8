#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <vector>

namespace kelvo::dialog {

// The rows of a report-view list: plain strings, one list per row, so that
// tens of thousands of rows cost one small allocation each and no widget.
class ListControlModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
    void DeleteAllColumns();
    // Inserts a row before position (clamped to the row count); returns its index.
    int InsertItem(int position, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    void DeleteAllItems();

private:
    struct Column {
        QString heading;
        Qt::Alignment alignment;
    };
    std::vector<Column> columns;
    std::vector<QStringList> rows;
};

// A list control in report view: columns with headings, widths and alignment,
// rows of text, grid lines and full-row selection.
class ListControl : public QTableView {
    Q_OBJECT
public:
    explicit ListControl(QWidget* parent = nullptr);

    void InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width);
    void DeleteAllColumns();
    int InsertItem(int position, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const;
    void DeleteAllItems();
    void SetExtendedStyles(bool gridLines, bool fullRowSelect);

private:
    ListControlModel* model;
};

} // namespace kelvo::dialog
