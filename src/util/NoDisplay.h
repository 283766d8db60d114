#pragma once
// A program started where no display can be reached: Qt prints its
// platform plugin's messages and aborts (status 134). The station's
// programs say it in one line instead and end with status 1.

namespace NoDisplay {

// Before the QApplication is made. `program` names the program in the
// line, `otherwise` ends it with the way to run without a display.
void Watch(const char *program, const char *otherwise);
// Once the QApplication is made: Qt's messages go their usual way again,
// the ones held back meanwhile too.
void Release();

} // namespace NoDisplay
