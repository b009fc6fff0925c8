#pragma once

namespace kelvo::dialog {

// Ends every modal loop running on the user-interface thread, however deeply
// nested (a dialog, a message box, a file dialog), and makes any modal loop
// started afterwards return at once: for a program that is told to end while
// it waits for the user. There is no way back; the program is ending.
void EndModalLoops();

} // namespace kelvo::dialog
