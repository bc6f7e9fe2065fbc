#pragma once

#include <functional>

class QApplication;
class QWidget;

namespace zr640::testing {

// The one QApplication of a test program, made on first use, with LC_NUMERIC back at "C"
// as the program keeps it.
QApplication& TestApplication();

// Calls `action` with the application's modal widget once one is shown, from inside the
// event loop that shows it (a message box's or a file dialog's).
void WhenModalShown(std::function<void(QWidget*)> action);

}  // namespace zr640::testing
