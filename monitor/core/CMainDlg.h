#pragma once

#include "monitor/core/MonitorState.h"
#include "monitor/mail/CEmailPage.h"
#include "monitor/pages/CCurvePage.h"
#include "monitor/pages/CLogPage.h"
#include "monitor/pages/CSettingPage.h"
#include "platform/dialog/Dialog.h"

class QComboBox;

namespace kelvo {

namespace dialog {
class TabControl;
}

// Control ids of the main window.
namespace mainwindow {
inline constexpr int tabsId = 1000;
inline constexpr int innerGroupId = 1006;
inline constexpr int innerReadoutId = 1007;
inline constexpr int innerMaxId = 1008;
inline constexpr int innerMinId = 1009;
inline constexpr int innerAvgId = 1010;
inline constexpr int outerGroupId = 1011;
inline constexpr int outerReadoutId = 1012;
inline constexpr int outerMaxId = 1013;
inline constexpr int outerMinId = 1014;
inline constexpr int outerAvgId = 1015;
inline constexpr int stopId = 1016;
inline constexpr int deviceListId = 1017;
inline constexpr int readingId = 1019;

inline constexpr int readTimerId = 888;
inline constexpr int recordTimerId = 999;
inline constexpr int mailTimerId = 1000;
inline constexpr int retryTimerId = 1010;
} // namespace mainwindow

// The main window: owns the monitor state, the four pages in the tab control,
// the thermometer list and the timers.
class CMainDlg : public dialog::Dialog, public MonitorState {
    Q_OBJECT
public:
    CMainDlg();
    ~CMainDlg() override;

    // Handlers, public so that the application and tests can drive them as the
    // platform would.
    bool OnInitDialog() override;
    void OnSysCommand(int command);
    void OnReading();
    void OnStop();
    void OnSelchangeTab();
    void OnTimer(int id) override;
    void OnClose() override;

    CCurvePage curvePage;
    CLogPage logPage;
    CEmailPage emailPage;
    CSettingPage settingPage;
    QComboBox* deviceList = nullptr;
    dialog::TabControl* tabs = nullptr;

protected:
    void OnCtlColor(int id, dialog::ControlColours& colours) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreatePages();
    void SetReadoutFonts();
    void RefreshPages();
    void RetryDevices();
};

} // namespace kelvo
