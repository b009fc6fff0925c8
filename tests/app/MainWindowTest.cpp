#include "monitor/app/CAboutDlg.h"
#include "monitor/resources/Strings.h"
#include "platform/dialog/TabControl.h"
#include "tests/app/MonitorWindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>

namespace kelvo {
namespace {

using namespace mainwindow;

// The window as it opens with no thermometer attached.
class MainWindowTest : public MonitorWindowFixture {
protected:
    void SetUp() override {
        MonitorWindowFixture::SetUp();
        Start(0);
    }

    // Which of the four pages is shown, in tab order.
    std::array<bool, 4> ShownPages() const {
        return {!window->logPage.isHidden(), !window->emailPage.isHidden(),
                !window->curvePage.isHidden(), !window->settingPage.isHidden()};
    }

    void Click(int id) { window->Item<QAbstractButton>(id)->click(); }
};

TEST_F(MainWindowTest, TabsAreInOrderAndEachShowsExactlyItsOwnPage) {
    ASSERT_EQ(window->tabs->GetItemCount(), 4);
    const std::array<const char*, 4> captions{"Log", "Email", "Curve", "Setting"};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(window->tabs->GetItemText(index).toStdString(), captions[index]);
    }
    EXPECT_EQ(window->tabs->GetCurSel(), 2);
    EXPECT_EQ(ShownPages(), (std::array<bool, 4>{false, false, true, false}));

    for (int index : {0, 3, 1, 2}) {
        window->tabs->Bar()->setCurrentIndex(index); // as a user's click does
        std::array<bool, 4> expected{};
        expected[index] = true;
        EXPECT_EQ(ShownPages(), expected) << "tab " << index;
    }
}

// The window's menu (the about box, "More settings...") is offered over
// every page as over the rest of the window.
TEST_F(MainWindowTest, ARightClickOverAnyPageOffersTheWindowsMenu) {
    window->show();
    const QStringList expected{QString::fromUtf8(resources::aboutItemText),
                               QString::fromUtf8(resources::moreSettingsItemText)};
    const std::array<dialog::Dialog*, 4> pages{&window->logPage, &window->emailPage,
                                               &window->curvePage, &window->settingPage};
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        window->tabs->Bar()->setCurrentIndex(index);
        QStringList offered;
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&offered] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (const QAction* action : menu->actions()) {
                    offered.append(action->text());
                }
                menu->close();
            }
        });
        closer.start(0);
        const QPoint spot(2, 2);
        QContextMenuEvent click(QContextMenuEvent::Mouse, spot, pages[index]->mapToGlobal(spot));
        QApplication::sendEvent(pages[index], &click);
        EXPECT_EQ(offered, expected);
    }
}

TEST_F(MainWindowTest, PagesSitBelowTheTabsInsideTheTabControl) {
    for (const dialog::Dialog* page : std::array<const dialog::Dialog*, 4>{
             &window->logPage, &window->emailPage, &window->curvePage, &window->settingPage}) {
        EXPECT_EQ(page->parentWidget(), window->tabs);
        EXPECT_EQ(page->geometry(), window->tabs->rect().adjusted(0, 20, 0, 0));
    }
}

TEST_F(MainWindowTest, OuterControlsStayHidden) {
    Click(readingId);
    window->tabs->Bar()->setCurrentIndex(3);
    for (int id : {outerGroupId, outerReadoutId, outerMaxId, outerMinId, outerAvgId, 1073}) {
        EXPECT_FALSE(window->IsDlgItemShown(id)) << id;
    }
    EXPECT_TRUE(window->IsDlgItemShown(innerReadoutId));
}

TEST_F(MainWindowTest, ReadingAndStopStartAndStopTheReadAndRecordTimers) {
    EXPECT_FALSE(window->IsDlgButtonChecked(readingId));
    EXPECT_FALSE(window->IsDlgButtonChecked(stopId));
    EXPECT_TRUE(window->IsTimerRunning(retryTimerId));

    Click(readingId);
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
    EXPECT_TRUE(window->IsTimerRunning(recordTimerId));
    EXPECT_EQ(window->TimerPeriod(readTimerId), 1000);
    EXPECT_FALSE(window->IsDlgButtonChecked(stopId));

    Click(stopId);
    EXPECT_FALSE(window->IsTimerRunning(readTimerId));
    EXPECT_FALSE(window->IsTimerRunning(recordTimerId));
    EXPECT_FALSE(window->IsDlgButtonChecked(readingId));
    EXPECT_TRUE(window->IsTimerRunning(retryTimerId));

    Click(readingId);
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
    EXPECT_FALSE(window->IsDlgButtonChecked(stopId));
}

// Once the next modal dialog runs, keeps its caption and closes it.
void CloseNextModalDialog(QString& caption) {
    QTimer::singleShot(0, [&caption] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            caption = modal->windowTitle();
            modal->close();
        }
    });
}

TEST_F(MainWindowTest, TheAboutItemAndF1OpenTheAboutBox) {
    QString caption;
    CloseNextModalDialog(caption);
    window->OnSysCommand(16);
    EXPECT_EQ(caption.toStdString(), "About HID Kelvo2");

    caption.clear();
    CloseNextModalDialog(caption);
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &f1);
    EXPECT_EQ(caption.toStdString(), "About HID Kelvo2");
}

TEST_F(MainWindowTest, TheAboutBoxEndsWithItsOkButtonAndWithReturn) {
    for (const bool pressReturn : {false, true}) {
        CAboutDlg about(window.get());
        QTimer::singleShot(0, [&about, pressReturn] {
            if (pressReturn) {
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(&about, &enter);
            } else {
                about.Item<QAbstractButton>(dialog::idOk)->click();
            }
            if (about.isVisible()) {
                about.EndDialog(-1); // still open: end it so that the test goes on
            }
        });
        EXPECT_EQ(about.DoModal(), dialog::idOk) << (pressReturn ? "Return" : "OK button");
    }
}

TEST_F(MainWindowTest, DialogColoursWithATransparentInnerReadout) {
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(128, 255, 128));
    EXPECT_EQ(window->palette().color(QPalette::WindowText), QColor(139, 0, 139));
    const auto* readout = window->Item<QLabel>(innerReadoutId);
    EXPECT_FALSE(readout->autoFillBackground());
    EXPECT_EQ(readout->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_EQ(window->Item<QLabel>(innerMaxId)->palette().color(QPalette::WindowText),
              QColor(139, 0, 139));

    EXPECT_EQ(window->deviceList->palette().color(QPalette::ButtonText),
              QApplication::palette().color(QPalette::ButtonText))
        << "lists keep the desktop's colours";

    window->innerTextColour = Colour{255, 0, 0};
    window->UpdateControlColours(innerReadoutId);
    EXPECT_EQ(readout->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(MainWindowTest, ReadoutFontIsLargeAndFits) {
    const auto* readout = window->Item<QLabel>(innerReadoutId);
    const QFontMetrics metrics(readout->font());
    EXPECT_GT(metrics.height(), window->Item<QLabel>(innerMaxId)->fontMetrics().height());
    EXPECT_LE(metrics.horizontalAdvance("-100.00 F"), readout->width());
}

TEST_F(MainWindowTest, EscapeEndsTheWindowAsCancel) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &escape);
    EXPECT_EQ(window->result(), dialog::idCancel);
}

} // namespace
} // namespace kelvo
