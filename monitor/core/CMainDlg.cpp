#include "monitor/core/CMainDlg.h"

#include "monitor/core/CAboutDlg.h"
#include "monitor/resources/AppIcon.h"
#include "monitor/resources/Strings.h"
#include "monitor/resources/Templates.h"
#include "platform/dialog/TabControl.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include <array>

namespace kelvo {
namespace {

using namespace mainwindow;

constexpr int timerPeriod = 1000;
constexpr int pageTopOffset = 20;
enum TabIndex { logTab = 0, emailTab = 1, curveTab = 2, settingTab = 3 };

// The largest bold font of the dialog's family in which the widest reading
// still fits the readout, so that the value reads from across a room.
QFont FittingReadoutFont(const QLabel& readout) {
    static const QString widestReading = QStringLiteral("-100.00 F");
    QFont font = readout.font();
    font.setBold(true);
    for (int pixels = readout.height(); pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(widestReading) <= readout.width() &&
            metrics.height() <= readout.height() + 2) {
            break;
        }
    }
    return font;
}

} // namespace

CMainDlg::CMainDlg() : Dialog(resources::MainTemplate()) {}

CMainDlg::~CMainDlg() = default;

bool CMainDlg::OnInitDialog() {
    // The window manager's menu cannot be extended here; the about item lives
    // in the window's context menu and on F1 instead (see contextMenuEvent).
    setWindowIcon(resources::ApplicationIcon());
    deviceList = Item<QComboBox>(deviceListId);
    tabs = Item<dialog::TabControl>(tabsId);

    CreatePages();
    SetDefaults(*this);

    deviceList->clear();
    settingPage.owner = this;
    emailPage.owner = this;
    RefreshPages();
    deviceMissing = true;

    SetTimer(retryTimerId, timerPeriod);
    SetReadoutFonts();

    OnControlEvent(readingId, dialog::ControlEvent::Clicked, [this] { OnReading(); });
    OnControlEvent(stopId, dialog::ControlEvent::Clicked, [this] { OnStop(); });
    OnControlEvent(tabsId, dialog::ControlEvent::SelectionChanged, [this] { OnSelchangeTab(); });
    return true;
}

void CMainDlg::CreatePages() {
    tabs->InsertItem(logTab, QStringLiteral("Log"));
    tabs->InsertItem(emailTab, QStringLiteral("Email"));
    tabs->InsertItem(curveTab, QStringLiteral("Curve"));
    tabs->InsertItem(settingTab, QStringLiteral("Setting"));

    logPage.Create(tabs);
    emailPage.Create(tabs);
    curvePage.Create(tabs);
    settingPage.Create(tabs);

    const QRect pageArea = tabs->rect().adjusted(0, pageTopOffset, 0, 0);
    for (dialog::Dialog* page :
         std::array<dialog::Dialog*, 4>{&logPage, &emailPage, &curvePage, &settingPage}) {
        page->setGeometry(pageArea);
    }
    logPage.hide();
    emailPage.hide();
    settingPage.hide();
    curvePage.show();
    tabs->SetCurSel(curveTab);
}

void CMainDlg::RefreshPages() {
    // The page refresh operations arrive with the pages' own behaviour.
}

void CMainDlg::SetReadoutFonts() {
    for (int id : {innerReadoutId, outerReadoutId}) {
        if (auto* readout = Item<QLabel>(id)) {
            readout->setFont(FittingReadoutFont(*readout));
        }
    }
}

void CMainDlg::OnSysCommand(int command) {
    if (command == resources::aboutCommandId) {
        CAboutDlg about(this);
        about.DoModal();
    }
}

void CMainDlg::OnReading() {
    if (IsDlgButtonChecked(readingId)) {
        SetTimer(readTimerId, timerPeriod);
        SetTimer(recordTimerId, timerPeriod);
    }
}

void CMainDlg::OnStop() {
    if (IsDlgButtonChecked(stopId)) {
        KillTimer(readTimerId);
        KillTimer(recordTimerId);
    }
}

void CMainDlg::OnSelchangeTab() {
    logPage.hide();
    emailPage.hide();
    curvePage.hide();
    settingPage.hide();
    switch (tabs->GetCurSel()) {
    case logTab:
        logPage.show();
        break;
    case emailTab:
        emailPage.show();
        break;
    case curveTab:
        curvePage.show();
        break;
    case settingTab:
        settingPage.show();
        break;
    default:
        break;
    }
}

void CMainDlg::OnTimer(int id) {
    switch (id) {
    case retryTimerId:
        RetryDevices();
        break;
    default:
        break;
    }
}

void CMainDlg::RetryDevices() {
    if (!deviceMissing) {
        return;
    }
}

void CMainDlg::OnClose() {
    Dialog::OnClose();
}

void CMainDlg::OnCtlColor(int id, dialog::ControlColours& colours) {
    auto toQColor = [](const Colour& colour) {
        return QColor(colour.red, colour.green, colour.blue);
    };
    if (id == innerReadoutId) {
        colours.transparent = true;
        colours.text = toQColor(innerTextColour);
    } else if (id == outerReadoutId) {
        colours.text = toQColor(outerTextColour);
    }
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnSysCommand(resources::aboutCommandId);
        return;
    }
    Dialog::keyPressEvent(event);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(resources::aboutItemText),
                   [this] { OnSysCommand(resources::aboutCommandId); });
    menu.exec(event->globalPos());
}

} // namespace kelvo
