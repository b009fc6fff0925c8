#pragma once

#include "platform/dialog/DialogColours.h"
#include "platform/dialog/DialogTemplate.h"
#include "platform/dialog/DialogUnits.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QButtonGroup;
class QTimer;

namespace kelvo::dialog {

// The decimal texts first to last, in ascending order, for number lists.
QStringList NumberTexts(int first, int last);

inline constexpr int idOk = 1;
inline constexpr int idCancel = 2;

enum class ControlEvent {
    Clicked,          // push button, radio button, check box
    SelectionChanged, // drop-down list, combo box, tab control
    EditChanged,      // the user typed in an edit field or a combo box's edit field
};

// A dialog built from a template: a modal window of its own or a page inside
// another window. Controls are reached by id, as the dialogs of the original
// program reach theirs.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(DialogTemplate dialogTemplate, QWidget* parent = nullptr);
    ~Dialog() override;

    // Builds the controls once and runs OnInitDialog once.
    bool Initialise();
    // Makes the dialog a page inside parent, then initialises it; shown
    // unless it is asked to stay hidden.
    bool Create(QWidget* parent, bool visible = true);
    // Initialises the dialog and runs it modally; returns the EndDialog result.
    int DoModal();
    void EndDialog(int result);

    const DialogTemplate& Template() const { return dialogTemplate; }
    const DialogBaseUnits& BaseUnits() const { return baseUnits; }
    QRect MapDialogRect(const DialogRect& rect) const;

    QWidget* GetDlgItem(int id) const;
    template <class Widget> Widget* Item(int id) const {
        return qobject_cast<Widget*>(GetDlgItem(id));
    }

    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;
    void EnableDlgItem(int id, bool enabled);
    bool IsDlgItemEnabled(int id) const;
    void ShowDlgItem(int id, bool shown);
    bool IsDlgItemShown(int id) const;

    // Drop-down lists and combo boxes. A sorted list inserts in order,
    // without regard to case; the others append. Indexes are list positions.
    int ComboAddString(int id, const std::string& text);
    // Appends many entries to an unsorted list at once.
    void ComboAddStrings(int id, const QStringList& texts);
    int ComboGetCount(int id) const;
    int ComboGetCurSel(int id) const;
    bool ComboSetCurSel(int id, int index); // -1 clears the selection
    std::string ComboGetItemText(int id, int index) const;
    void ComboResetContent(int id);

    // Window timers: each id has one timer calling OnTimer(id); setting a
    // running timer again restarts it with the new period.
    void SetTimer(int id, int periodMilliseconds);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;
    int TimerPeriod(int id) const;

    // Asks OnCtlColor again for a static control and repaints it.
    void UpdateControlColours(int id);

    // A plain message box owned by this dialog.
    void MessageBox(const std::string& text);

protected:
    // Connects a handler to a control's event, as a message map entry would.
    void OnControlEvent(int id, ControlEvent event, std::function<void()> handler);

    virtual bool OnInitDialog() { return true; }
    virtual void OnTimer(int /*id*/) {}
    virtual void OnOK() { EndDialog(idOk); }
    virtual void OnCancel() { EndDialog(idCancel); }
    // The default close ends a dialog as Cancel does.
    virtual void OnClose() { OnCancel(); }
    // Colours of a static control; colours holds the defaults on entry.
    virtual void OnCtlColor(int /*id*/, ControlColours& /*colours*/) {}

    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private:
    void BuildControls();
    QWidget* BuildControl(const ControlTemplate& control, QButtonGroup*& radioGroup);
    void ApplyColours();
    void ApplyStaticColours(int id, QWidget* widget);

    DialogTemplate dialogTemplate;
    DialogBaseUnits baseUnits;
    std::map<int, QWidget*> controls;
    std::vector<QWidget*> staticControls;
    std::map<int, QTimer*> timers;
    bool built = false;
    bool initialised = false;
};

} // namespace kelvo::dialog
