#include "platform/dialog/Dialog.h"
#include "platform/dialog/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace kelvo::dialog {
namespace {

DialogTemplate SampleTemplate(int pointSize = 9) {
    return DialogTemplate{
        1,
        "Sample",
        200,
        100,
        "Sans",
        pointSize,
        false,
        {
            ControlTemplate{10, ControlKind::Static, "Label", {10, 20, 40, 16}, 0, true, {}},
            ControlTemplate{
                11, ControlKind::RadioButton, "A", {0, 0, 20, 10}, StyleGroupStart, true, {}},
            ControlTemplate{12, ControlKind::RadioButton, "B", {0, 10, 20, 10}, 0, true, {}},
            ControlTemplate{
                13, ControlKind::RadioButton, "C", {0, 20, 20, 10}, StyleGroupStart, true, {}},
            ControlTemplate{14, ControlKind::RadioButton, "D", {0, 30, 20, 10}, 0, true, {}},
            ControlTemplate{
                15, ControlKind::DropDownList, "", {50, 0, 40, 50}, StyleSorted, true, {}},
            ControlTemplate{16, ControlKind::Edit, "", {50, 40, 40, 12}, 0, false, {}},
            ControlTemplate{18, ControlKind::ComboBoxWithEdit, "", {50, 60, 40, 50}, 0, true, {}},
            ControlTemplate{
                17, ControlKind::DefaultPushButton, "OK", {100, 0, 40, 14}, 0, true, {}},
        }};
}

class RecordingDialog : public Dialog {
public:
    using Dialog::Dialog;
    std::vector<int> ticks;
    int okCount = 0;
    int cancelCount = 0;
    using Dialog::keyPressEvent;

protected:
    void OnTimer(int id) override { ticks.push_back(id); }
    void OnOK() override {
        ++okCount;
        Dialog::OnOK();
    }
    void OnCancel() override {
        ++cancelCount;
        Dialog::OnCancel();
    }
};

TEST(DialogUnits, ControlsAreSizedFromTheDialogFontsMetrics) {
    for (int pointSize : {8, 9, 14}) {
        Dialog dialog(SampleTemplate(pointSize));
        dialog.Initialise();
        const QFontMetrics metrics(dialog.font());
        const double letterWidth =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") /
            52.0;
        const int horizontal = static_cast<int>(letterWidth + 0.5);
        const int vertical = metrics.height();
        SCOPED_TRACE(pointSize);
        EXPECT_EQ(dialog.GetDlgItem(10)->geometry(),
                  QRect(10 * horizontal / 4, 20 * vertical / 8,
                        50 * horizontal / 4 - 10 * horizontal / 4,
                        36 * vertical / 8 - 20 * vertical / 8));
        EXPECT_EQ(dialog.size(), QSize(200 * horizontal / 4, 100 * vertical / 8));
    }
}

TEST(DialogControls, RadioGroupsStartWhereTheTemplateSaysAndMayAllBeClear) {
    Dialog dialog(SampleTemplate());
    dialog.Initialise();
    dialog.Item<QAbstractButton>(11)->click();
    dialog.Item<QAbstractButton>(13)->click();
    EXPECT_TRUE(dialog.IsDlgButtonChecked(11)) << "a click in another group must not clear it";
    dialog.Item<QAbstractButton>(12)->click();
    EXPECT_FALSE(dialog.IsDlgButtonChecked(11));
    EXPECT_TRUE(dialog.IsDlgButtonChecked(12));

    dialog.CheckDlgButton(12, false);
    EXPECT_FALSE(dialog.IsDlgButtonChecked(11));
    EXPECT_FALSE(dialog.IsDlgButtonChecked(12));
}

TEST(DialogControls, SortedListInsertsInOrderAndKeepsTheSelection) {
    Dialog dialog(SampleTemplate());
    dialog.Initialise();
    dialog.ComboAddString(15, "beta.wav");
    dialog.ComboSetCurSel(15, 0);
    EXPECT_EQ(dialog.ComboAddString(15, "Alpha.wav"), 0);
    EXPECT_EQ(dialog.ComboAddString(15, "gamma.wav"), 2);
    EXPECT_EQ(dialog.ComboGetItemText(15, 0), "Alpha.wav");
    EXPECT_EQ(dialog.ComboGetCurSel(15), 1);
    EXPECT_EQ(dialog.GetDlgItemText(15), "beta.wav");
    EXPECT_FALSE(dialog.ComboSetCurSel(15, 3));
    EXPECT_TRUE(dialog.ComboSetCurSel(15, -1));
    EXPECT_EQ(dialog.ComboGetCurSel(15), -1);
}

// A long list added at once keeps what the list showed, picked or typed.
TEST(DialogControls, AddedListsKeepTheSelectionAndTheTypedText) {
    Dialog dialog(SampleTemplate());
    dialog.Initialise();
    dialog.ComboAddString(15, "first");
    dialog.ComboSetCurSel(15, 0);
    dialog.ComboAddStrings(15, NumberTexts(1, 3600));
    EXPECT_EQ(dialog.ComboGetCount(15), 3601);
    EXPECT_EQ(dialog.ComboGetCurSel(15), 0);
    EXPECT_EQ(dialog.ComboGetItemText(15, 3600), "3600");

    dialog.SetDlgItemText(18, "typed");
    dialog.ComboAddStrings(18, NumberTexts(1, 10));
    EXPECT_EQ(dialog.GetDlgItemText(18), "typed");
    EXPECT_EQ(dialog.ComboGetCurSel(18), -1);
    dialog.ComboAddString(18, "11");
    dialog.ComboResetContent(18);
    EXPECT_EQ(dialog.ComboGetCount(18), 0);
}

TEST(DialogControls, HiddenControlsStartHiddenAndUnknownIdsAreHarmless) {
    Dialog dialog(SampleTemplate());
    dialog.Initialise();
    EXPECT_FALSE(dialog.IsDlgItemShown(16));
    EXPECT_TRUE(dialog.IsDlgItemShown(10));
    dialog.SetDlgItemText(999, "nothing");
    dialog.CheckDlgButton(999, true);
    EXPECT_EQ(dialog.GetDlgItemText(999), "");
    EXPECT_EQ(dialog.ComboAddString(999, "x"), -1);
}

TEST(DialogTimers, TimersCallOnTimerAndSettingAgainRestarts) {
    RecordingDialog dialog(SampleTemplate());
    dialog.Initialise();
    dialog.SetTimer(7, 60000);
    dialog.SetTimer(7, 5);
    EXPECT_EQ(dialog.TimerPeriod(7), 5);
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(5000);
    while (dialog.ticks.size() < 2 && deadline.isActive()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ASSERT_GE(dialog.ticks.size(), 2U);
    EXPECT_EQ(dialog.ticks[0], 7);
    dialog.KillTimer(7);
    EXPECT_FALSE(dialog.IsTimerRunning(7));
    EXPECT_FALSE(dialog.IsTimerRunning(8));
}

TEST(DialogKeys, EnterPressesTheDefaultButtonAndEscapeCancels) {
    RecordingDialog dialog(SampleTemplate());
    dialog.Initialise();
    int clicks = 0;
    QObject::connect(dialog.Item<QAbstractButton>(17), &QAbstractButton::clicked,
                     [&clicks] { ++clicks; });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    dialog.keyPressEvent(&enter);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dialog.okCount, 0);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    dialog.keyPressEvent(&escape);
    EXPECT_EQ(dialog.cancelCount, 1);
    EXPECT_EQ(dialog.result(), idCancel);
}

TEST(DialogKeys, ButtonsOneAndTwoAndReturnEndTheDialogAsOkAndCancel) {
    DialogTemplate buttons = SampleTemplate();
    buttons.controls.push_back(ControlTemplate{
        idOk, ControlKind::DefaultPushButton, "OK", {100, 20, 40, 14}, 0, true, {}});
    buttons.controls.push_back(ControlTemplate{
        idCancel, ControlKind::PushButton, "Cancel", {100, 40, 40, 14}, 0, true, {}});
    buttons.controls.erase(buttons.controls.begin() + 7); // the default button 17
    RecordingDialog dialog(buttons);
    dialog.Initialise();

    dialog.Item<QAbstractButton>(idOk)->click();
    EXPECT_EQ(dialog.okCount, 1);
    EXPECT_EQ(dialog.result(), idOk);
    dialog.Item<QAbstractButton>(idCancel)->click();
    EXPECT_EQ(dialog.cancelCount, 1);
    EXPECT_EQ(dialog.result(), idCancel);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    dialog.keyPressEvent(&enter);
    EXPECT_EQ(dialog.okCount, 2) << "Return presses the default button, which is OK";
}

TEST(MessageBoxes, CarryTheProgramsNameAndOneOkButton) {
    EXPECT_EQ(ProgramName(), "dialog_tests");
    const auto box = MakeMessageBox(nullptr, "Set Failed");
    EXPECT_EQ(box->windowTitle().toStdString(), "dialog_tests");
    EXPECT_EQ(box->text().toStdString(), "Set Failed");
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);

    std::vector<std::string> seen;
    const auto previous =
        SetMessageObserver([&seen](const std::string& caption, const std::string& text) {
            seen.push_back(caption + ": " + text);
        });
    ShowMessage(nullptr, "hello");
    SetMessageObserver(previous);
    EXPECT_EQ(seen, std::vector<std::string>{"dialog_tests: hello"});
}

TEST(MessageBoxes, AnOpenedMessageReturnsAtOnceAndGoesWithOk) {
    QWidget owner;
    owner.show();
    OpenMessage(&owner, "Metrics are off");
    QPointer<QMessageBox> box = owner.findChild<QMessageBox*>();
    ASSERT_FALSE(box.isNull());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text().toStdString(), "Metrics are off");
    box->button(QMessageBox::Ok)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}

} // namespace
} // namespace kelvo::dialog
