#include "platform/dialog/Dialog.h"

#include "platform/dialog/ListControl.h"
#include "platform/dialog/MessageBox.h"
#include "platform/dialog/TabControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace kelvo::dialog {
namespace {

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Edit fields, lists and combo boxes keep the desktop's colours whatever the
// dialog paints, so that typed text stays readable.
bool KeepsSystemColours(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::DropDownList:
    case ControlKind::ComboBoxWithEdit:
    case ControlKind::ListControl:
    case ControlKind::TabControl:
    case ControlKind::ProgressBar:
        return true;
    default:
        return false;
    }
}

// The desktop's palette with every role marked as set, so that a control
// given it keeps the desktop's colours instead of inheriting the dialog's.
QPalette SystemPalette() {
    QPalette palette = QApplication::palette();
    palette.setResolveMask(~QPalette::ResolveMask{0});
    return palette;
}

int SortedInsertPosition(const QComboBox* combo, const QString& text) {
    int position = 0;
    while (position < combo->count() &&
           QString::compare(combo->itemText(position), text, Qt::CaseInsensitive) <= 0) {
        ++position;
    }
    return position;
}

} // namespace

QStringList NumberTexts(int first, int last) {
    QStringList texts;
    texts.reserve(std::max(0, last - first + 1));
    for (int number = first; number <= last; ++number) {
        texts.append(QString::number(number));
    }
    return texts;
}

Dialog::Dialog(DialogTemplate dialogTemplate, QWidget* parent)
    : QDialog(parent), dialogTemplate(std::move(dialogTemplate)) {}

Dialog::~Dialog() = default;

bool Dialog::Initialise() {
    if (!built) {
        BuildControls();
        built = true;
        // Buttons 1 and 2 end every dialog as OK and Cancel, as the standard
        // dialog handling does without a message map entry of its own.
        OnControlEvent(idOk, ControlEvent::Clicked, [this] { OnOK(); });
        OnControlEvent(idCancel, ControlEvent::Clicked, [this] { OnCancel(); });
    }
    if (initialised) {
        return true;
    }
    initialised = true;
    return OnInitDialog();
}

bool Dialog::Create(QWidget* parent, bool visible) {
    setParent(parent, Qt::Widget);
    dialogTemplate.child = true;
    const bool result = Initialise();
    setVisible(visible);
    return result;
}

int Dialog::DoModal() {
    Initialise();
    return exec();
}

void Dialog::EndDialog(int result) {
    done(result);
}

QRect Dialog::MapDialogRect(const DialogRect& rect) const {
    return dialog::MapDialogRect(rect, baseUnits);
}

void Dialog::BuildControls() {
    setFont(DialogFont(dialogTemplate));
    baseUnits = BaseUnitsOf(font());
    if (!dialogTemplate.child) {
        setWindowTitle(ToQString(dialogTemplate.caption));
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    }
    const QRect area = MapDialogRect(DialogRect{0, 0, dialogTemplate.width, dialogTemplate.height});
    if (dialogTemplate.child) {
        resize(area.size());
    } else {
        setFixedSize(area.size());
    }

    QButtonGroup* radioGroup = nullptr;
    std::vector<QWidget*> groupBoxes;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = BuildControl(control, radioGroup);
        if (control.kind == ControlKind::GroupBox) {
            groupBoxes.push_back(widget);
        }
        if (control.kind == ControlKind::Static || control.kind == ControlKind::Icon) {
            staticControls.push_back(widget);
        }
        widget->setProperty("controlId", control.id);
        widget->setVisible(control.visible);
        if (control.id != noControlId) {
            controls.emplace(control.id, widget);
        }
    }
    // Group boxes are frames drawn behind their neighbours: whatever the
    // template order, they must neither hide nor catch clicks meant for the
    // controls they surround.
    for (QWidget* groupBox : groupBoxes) {
        groupBox->lower();
    }
    ApplyColours();
}

QWidget* Dialog::BuildControl(const ControlTemplate& control, QButtonGroup*& radioGroup) {
    const QString caption = ToQString(control.caption);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::GroupBox: {
        auto* groupBox = new QGroupBox(caption, this);
        groupBox->setAttribute(Qt::WA_TransparentForMouseEvents);
        widget = groupBox;
        break;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(caption, this);
        label->setAlignment((control.styles & StyleCentred) ? Qt::AlignCenter
                                                            : Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(this);
        label->setPixmap(QApplication::windowIcon().pixmap(32, 32));
        widget = label;
        break;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(caption, this);
        button->setDefault(control.kind == ControlKind::DefaultPushButton);
        widget = button;
        break;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(caption, this);
        if (radioGroup == nullptr || (control.styles & StyleGroupStart)) {
            radioGroup = new QButtonGroup(this);
            radioGroup->setExclusive(true);
        }
        radioGroup->addButton(radio);
        widget = radio;
        break;
    }
    case ControlKind::CheckBox:
        widget = new QCheckBox(caption, this);
        break;
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(control.styles & StyleReadOnly);
        if (control.styles & StylePassword) {
            edit->setEchoMode(QLineEdit::Password);
        }
        widget = edit;
        break;
    }
    case ControlKind::DropDownList:
    case ControlKind::ComboBoxWithEdit: {
        auto* combo = new QComboBox(this);
        // A list of plain texts: the lists of numbers run to thousands of
        // entries, which a model of one item object each takes long to build.
        combo->setModel(new QStringListModel(combo));
        combo->setEditable(control.kind == ControlKind::ComboBoxWithEdit);
        if (combo->isEditable()) {
            // The field holds what was typed, as typed: completing it inline
            // would show a value that the change handlers never saw.
            combo->setCompleter(nullptr);
        }
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setProperty("sorted", static_cast<bool>(control.styles & StyleSorted));
        for (const std::string& item : control.items) {
            combo->addItem(ToQString(item));
        }
        combo->setCurrentIndex(-1);
        widget = combo;
        break;
    }
    case ControlKind::ListControl:
        widget = new ListControl(this);
        break;
    case ControlKind::TabControl:
        widget = new TabControl(this);
        break;
    case ControlKind::ProgressBar: {
        auto* progress = new QProgressBar(this);
        progress->setTextVisible(false);
        widget = progress;
        break;
    }
    case ControlKind::ControlSite:
        widget = new QWidget(this);
        break;
    }

    QRect geometry = MapDialogRect(control.rect);
    if (control.kind == ControlKind::DropDownList ||
        control.kind == ControlKind::ComboBoxWithEdit) {
        // A combo box's template height is that of its dropped list; closed,
        // it is as tall as its text needs.
        geometry.setHeight(widget->sizeHint().height());
    }
    widget->setGeometry(geometry);
    if (KeepsSystemColours(control.kind)) {
        widget->setPalette(SystemPalette());
    }
    return widget;
}

void Dialog::ApplyColours() {
    if (const auto colours = ApplicationDialogColours()) {
        QPalette colouredPalette = palette();
        colouredPalette.setColor(QPalette::Window, colours->background);
        colouredPalette.setColor(QPalette::WindowText, colours->text);
        colouredPalette.setColor(QPalette::ButtonText, colours->text);
        setPalette(colouredPalette);
        setAutoFillBackground(true);
    }
    for (QWidget* widget : staticControls) {
        ApplyStaticColours(widget->property("controlId").toInt(), widget);
    }
}

void Dialog::ApplyStaticColours(int id, QWidget* widget) {
    ControlColours colours{palette().color(QPalette::WindowText), palette().color(QPalette::Window),
                           false};
    OnCtlColor(id, colours);
    QPalette staticPalette = widget->palette();
    staticPalette.setColor(QPalette::WindowText, colours.text);
    staticPalette.setColor(QPalette::Window, colours.background);
    widget->setPalette(staticPalette);
    // A background equal to the dialog's needs no painting of its own, and
    // painting it would show as a patch inside a group box's frame.
    widget->setAutoFillBackground(!colours.transparent &&
                                  colours.background != palette().color(QPalette::Window));
    widget->update();
}

void Dialog::UpdateControlColours(int id) {
    if (QWidget* widget = GetDlgItem(id); widget != nullptr && qobject_cast<QLabel*>(widget)) {
        ApplyStaticColours(id, widget);
    }
}

QWidget* Dialog::GetDlgItem(int id) const {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
}

void Dialog::SetDlgItemText(int id, const std::string& text) {
    QWidget* widget = GetDlgItem(id);
    const QString value = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* groupBox = qobject_cast<QGroupBox*>(widget)) {
        groupBox->setTitle(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable()) {
        combo->setEditText(value);
    }
}

std::string Dialog::GetDlgItemText(int id) const {
    QWidget* widget = GetDlgItem(id);
    QString value;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        value = label->text();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        value = edit->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        value = button->text();
    } else if (auto* groupBox = qobject_cast<QGroupBox*>(widget)) {
        value = groupBox->title();
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        value = combo->currentText();
    }
    return value.toStdString();
}

void Dialog::CheckDlgButton(int id, bool checked) {
    auto* button = Item<QAbstractButton>(id);
    if (button == nullptr) {
        return;
    }
    // An exclusive group refuses to clear its checked button; radio buttons
    // here may all be clear, as at start-up before a device is found.
    QButtonGroup* group = button->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && !checked) {
        group->setExclusive(false);
    }
    button->setChecked(checked);
    if (exclusive && !checked) {
        group->setExclusive(true);
    }
}

bool Dialog::IsDlgButtonChecked(int id) const {
    const auto* button = Item<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

void Dialog::EnableDlgItem(int id, bool enabled) {
    if (QWidget* widget = GetDlgItem(id)) {
        widget->setEnabled(enabled);
    }
}

bool Dialog::IsDlgItemEnabled(int id) const {
    const QWidget* widget = GetDlgItem(id);
    return widget != nullptr && widget->isEnabled();
}

void Dialog::ShowDlgItem(int id, bool shown) {
    if (QWidget* widget = GetDlgItem(id)) {
        widget->setVisible(shown);
    }
}

bool Dialog::IsDlgItemShown(int id) const {
    const QWidget* widget = GetDlgItem(id);
    return widget != nullptr && !widget->isHidden();
}

int Dialog::ComboAddString(int id, const std::string& text) {
    auto* combo = Item<QComboBox>(id);
    if (combo == nullptr) {
        return -1;
    }
    const QString value = ToQString(text);
    const int position =
        combo->property("sorted").toBool() ? SortedInsertPosition(combo, value) : combo->count();
    const int selected = combo->currentIndex();
    combo->insertItem(position, value);
    // Adding never changes the selection, whatever position the entry takes.
    combo->setCurrentIndex(selected < 0 ? -1 : (position <= selected ? selected + 1 : selected));
    return position;
}

void Dialog::ComboAddStrings(int id, const QStringList& texts) {
    if (auto* combo = Item<QComboBox>(id)) {
        const QSignalBlocker blocker(combo);
        const int selected = combo->currentIndex();
        const QString typed = combo->currentText();
        // One change of the whole list (every list is one of texts, see
        // BuildControl) instead of a row at a time.
        auto* list = static_cast<QStringListModel*>(combo->model());
        list->setStringList(list->stringList() + texts);
        combo->setCurrentIndex(selected);
        if (combo->isEditable()) {
            combo->setEditText(typed);
        }
    }
}

int Dialog::ComboGetCount(int id) const {
    const auto* combo = Item<QComboBox>(id);
    return combo == nullptr ? 0 : combo->count();
}

int Dialog::ComboGetCurSel(int id) const {
    const auto* combo = Item<QComboBox>(id);
    return combo == nullptr ? -1 : combo->currentIndex();
}

bool Dialog::ComboSetCurSel(int id, int index) {
    auto* combo = Item<QComboBox>(id);
    if (combo == nullptr || index < -1 || index >= combo->count()) {
        return false;
    }
    const QSignalBlocker blocker(combo); // only a user's pick raises a selection change
    combo->setCurrentIndex(index);
    return true;
}

std::string Dialog::ComboGetItemText(int id, int index) const {
    const auto* combo = Item<QComboBox>(id);
    return combo == nullptr ? std::string() : combo->itemText(index).toStdString();
}

void Dialog::ComboResetContent(int id) {
    if (auto* combo = Item<QComboBox>(id)) {
        const QSignalBlocker blocker(combo);
        combo->clear();
    }
}

void Dialog::SetTimer(int id, int periodMilliseconds) {
    QTimer*& timer = timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    timer->start(periodMilliseconds);
}

void Dialog::KillTimer(int id) {
    if (const auto found = timers.find(id); found != timers.end()) {
        found->second->stop();
    }
}

bool Dialog::IsTimerRunning(int id) const {
    const auto found = timers.find(id);
    return found != timers.end() && found->second->isActive();
}

int Dialog::TimerPeriod(int id) const {
    const auto found = timers.find(id);
    return found == timers.end() ? 0 : found->second->interval();
}

void Dialog::MessageBox(const std::string& text) {
    ShowMessage(this, text);
}

void Dialog::OnControlEvent(int id, ControlEvent event, std::function<void()> handler) {
    QWidget* widget = GetDlgItem(id);
    if (widget == nullptr) {
        return;
    }
    auto call = [handler = std::move(handler)] { handler(); };
    switch (event) {
    case ControlEvent::Clicked:
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            connect(button, &QAbstractButton::clicked, this, call);
        }
        break;
    case ControlEvent::SelectionChanged:
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            connect(combo, &QComboBox::activated, this, call);
        } else if (auto* tabs = qobject_cast<TabControl*>(widget)) {
            connect(tabs, &TabControl::SelectionChanged, this, call);
        }
        break;
    case ControlEvent::EditChanged: {
        // Only typing counts: text the program writes raises nothing, so a
        // handler may correct the text it is handed.
        auto* edit = qobject_cast<QLineEdit*>(widget);
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            edit = combo->lineEdit();
        }
        if (edit != nullptr) {
            connect(edit, &QLineEdit::textEdited, this, call);
        }
        break;
    }
    }
}

// A page leaves a right click to the window it lies in, as a child window
// does, so that the window's menu is offered over every page.
void Dialog::contextMenuEvent(QContextMenuEvent* event) {
    if (dialogTemplate.child) {
        event->ignore();
        return;
    }
    QDialog::contextMenuEvent(event);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    // A page leaves Enter and Escape to the window it sits in.
    if (!isWindow()) {
        event->ignore();
        return;
    }
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (plain && event->key() == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        for (QPushButton* button : findChildren<QPushButton*>()) {
            if (button->isDefault() && !button->isHidden()) {
                if (button->isEnabled()) {
                    button->click();
                }
                return;
            }
        }
        OnOK();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Dialog::closeEvent(QCloseEvent* event) {
    // The dialog ends itself through OnClose; the event only asks.
    event->ignore();
    OnClose();
}

} // namespace kelvo::dialog
