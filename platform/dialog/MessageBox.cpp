#include "platform/dialog/MessageBox.h"

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace kelvo::dialog {
namespace {

std::mutex observerMutex;
MessageObserver messageObserver;

// True when an observer took the message.
bool Observed(const std::string& text) {
    MessageObserver observer;
    {
        std::lock_guard lock(observerMutex);
        observer = messageObserver;
    }
    if (observer) {
        observer(ProgramName(), text);
    }
    return static_cast<bool>(observer);
}

} // namespace

std::string ProgramName() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("kelvomon") : program.stem().string();
}

void WriteErrorNote(const std::string& note) {
    std::fprintf(stderr, "%s: %s\n", ProgramName().c_str(), note.c_str());
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const std::string& text) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString::fromStdString(ProgramName()),
                                      QString::fromStdString(text), QMessageBox::Ok, owner);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

void ShowMessage(QWidget* owner, const std::string& text) {
    if (!Observed(text)) {
        MakeMessageBox(owner, text)->exec();
    }
}

void OpenMessage(QWidget* owner, const std::string& text) {
    if (Observed(text)) {
        return;
    }
    QMessageBox* box = MakeMessageBox(owner, text).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

MessageObserver SetMessageObserver(MessageObserver observer) {
    std::lock_guard lock(observerMutex);
    std::swap(messageObserver, observer);
    return observer;
}

} // namespace kelvo::dialog
