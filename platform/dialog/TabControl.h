#pragma once

#include <QTabBar>
#include <QWidget>

namespace kelvo::dialog {

// A tab control that, like the common control, only shows tabs and a frame:
// the pages are ordinary children that its owner moves, shows and hides.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    int InsertItem(int index, const QString& text);
    int GetItemCount() const;
    QString GetItemText(int index) const;
    int GetCurSel() const;
    void SetCurSel(int index);
    QTabBar* Bar() const { return bar; }

Q_SIGNALS:
    // Raised when the user picks a tab; not when the selection is set in code.
    void SelectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* bar;
    bool settingSelection = false;
};

} // namespace kelvo::dialog
