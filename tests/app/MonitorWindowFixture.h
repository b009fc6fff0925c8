#pragma once

#include "monitor/app/CMainDlg.h"
#include "monitor/device/ProcessDeviceTable.h"
#include "monitor/device/SimulatedHidPlatform.h"
#include "platform/dialog/DialogColours.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/MessageBox.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kelvo {

// The pause before a thermometer's answer is read. Open, it returns at once;
// held, a thread that reaches it waits there until the test releases it, so
// that a test can act while a sampling pass stands between its command and
// its read. Every wait has a deadline, so a fault fails the test instead of
// hanging it.
class HeldPause {
public:
    static constexpr std::chrono::seconds deadline{20};

    void Hold() {
        std::lock_guard lock(mutex);
        held = true;
    }
    void Release() {
        {
            std::lock_guard lock(mutex);
            held = false;
        }
        changed.notify_all();
    }
    // True once a thread waits in the held pause. Serves the user-interface
    // thread's calls meanwhile, which a pass makes before its exchange.
    bool WaitUntilReached() {
        const auto end = std::chrono::steady_clock::now() + deadline;
        std::unique_lock lock(mutex);
        while (waiting == 0 && std::chrono::steady_clock::now() < end) {
            lock.unlock();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            lock.lock();
            changed.wait_for(lock, std::chrono::milliseconds(1), [this] { return waiting > 0; });
        }
        return waiting > 0;
    }
    ThermometerProtocol::Pause Function() {
        return [this](std::chrono::milliseconds) { Enter(); };
    }

private:
    void Enter() {
        std::unique_lock lock(mutex);
        ++waiting;
        changed.notify_all();
        if (!changed.wait_for(lock, deadline, [this] { return !held; })) {
            ADD_FAILURE() << "the held pause was never released";
        }
        --waiting;
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    int waiting = 0;
};

// A main window on simulated thermometers of its own, started in a folder of
// its own (where it reads and writes Config.ini), with a pause the test
// controls and every message box caught instead of shown. Nothing of the
// caller's environment or of the machine's devices reaches it.
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
        pause.Release(); // a failed test may leave a pass waiting in it
        window.reset();
        SetProcessHidPlatform(nullptr);
        dialog::SetMessageObserver(previousObserver);
        std::filesystem::current_path(previousDirectory);
    }

    // Starts the window with `count` thermometers answering `readings` ("20,err").
    void Start(int count, const std::string& readings = "") {
        StartOn(std::make_shared<SimulatedHidPlatform>(count, ParseSimulatedReadings(readings)));
    }

    // Starts the window on these thermometers.
    void StartOn(std::shared_ptr<SimulatedHidPlatform> thermometers) {
        platform = std::move(thermometers);
        SetProcessHidPlatform(platform);
        window = std::make_unique<CMainDlg>(pause.Function());
        window->Initialise();
        // The start-up's thermometer exchange follows once the event loop turns.
        QCoreApplication::processEvents();
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
    HeldPause pause;
    std::shared_ptr<SimulatedHidPlatform> platform;
    std::unique_ptr<CMainDlg> window;
    std::vector<std::string> messages;

private:
    std::filesystem::path previousDirectory;
    dialog::MessageObserver previousObserver;
};

} // namespace kelvo
