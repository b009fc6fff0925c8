#pragma once

#include <QMessageBox>

#include <functional>
#include <memory>
#include <string>

namespace kelvo::dialog {

// The base name of the program file without its extension: the caption of
// every message box.
std::string ProgramName();

// One line on standard error, after the program's name: the one place a
// user finds every failure that no window shows, the window's closing included.
void WriteErrorNote(const std::string& note);

// A plain modal message box: the text, one OK button, the program's name as
// caption, owned by owner.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const std::string& text);

// Shows the message and waits for OK.
void ShowMessage(QWidget* owner, const std::string& text);

// Shows the message without waiting for OK, so that nothing stops while it is
// open, also where nobody can press OK (no desktop); the box goes when OK is
// pressed or with its owner.
void OpenMessage(QWidget* owner, const std::string& text);

// While an observer is set, messages go to it instead of a modal box, so that
// tests can follow a flow that shows messages without a person to press OK.
using MessageObserver = std::function<void(const std::string& caption, const std::string& text)>;
MessageObserver SetMessageObserver(MessageObserver observer);

} // namespace kelvo::dialog
