#pragma once

namespace form {

// Puts Qt's own texts (the file dialog's labels, the buttons of a message
// box) into Bulgarian, as every other text of the window is, from the
// translations Qt ships. Loaded once, the first time a dialog needs them, so
// that starting the window doesn't wait for them; where they are not
// installed, the texts stay as Qt has them.
void loadQtTranslation();

} // namespace form
