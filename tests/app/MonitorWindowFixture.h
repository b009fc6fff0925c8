#pragma once

#include "monitor/app/CMainDlg.h"
#include "monitor/device/ProcessDeviceTable.h"
#include "monitor/device/SimulatedHidPlatform.h"
#include "platform/dialog/DialogColours.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/MessageBox.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kelvo {

// A main window on simulated thermometers, started in a folder of its own
// (where it reads and writes Config.ini), with no real pause before answers
// and every message box caught instead of shown.
class MonitorWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        previousDirectory = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path());
        dialog::SetDialogColours(QColor(128, 255, 128), QColor(139, 0, 139));
        previousObserver = dialog::SetMessageObserver(
            [this](const std::string&, const std::string& text) { messages.push_back(text); });
    }

    void TearDown() override {
        window.reset();
        SetProcessHidPlatform(nullptr);
        dialog::SetMessageObserver(previousObserver);
        std::filesystem::current_path(previousDirectory);
    }

    // Starts the window with `count` thermometers answering `readings` ("20,err").
    void Start(int count, const std::string& readings = "") {
        platform = std::make_shared<SimulatedHidPlatform>(count, ParseSimulatedReadings(readings));
        SetProcessHidPlatform(platform);
        window = std::make_unique<CMainDlg>([](std::chrono::milliseconds) {});
        window->Initialise();
    }

    void WriteConfig(const std::string& text) {
        testing::TemporaryDirectory::WriteFile(folder / "Config.ini", text);
    }

    // One timer tick, as the timer would give it, and the pass it started.
    void Tick(int timerId) {
        window->OnTimer(timerId);
        window->WaitForSamplingPass();
    }

    std::string Text(int id) const { return window->GetDlgItemText(id); }

    // How many temperature commands thermometer `number` has answered.
    int Readings(int number = 0) const {
        int count = 0;
        for (std::uint8_t command : platform->Commands(number)) {
            count += command == 'T' ? 1 : 0;
        }
        return count;
    }

    int TableRows() const {
        return window->logPage.Item<dialog::ListControl>(logpage::tableId)->GetItemCount();
    }
    std::string TableCell(int row, int column) const {
        return window->logPage.Item<dialog::ListControl>(logpage::tableId)
            ->GetItemText(row, column)
            .toStdString();
    }

    testing::TemporaryDirectory folder;
    std::shared_ptr<SimulatedHidPlatform> platform;
    std::unique_ptr<CMainDlg> window;
    std::vector<std::string> messages;

private:
    std::filesystem::path previousDirectory;
    dialog::MessageObserver previousObserver;
};

} // namespace kelvo
