// Generate command: the handler of the "生成" button.
#pragma once

namespace command {

// Settles the nickname and time, then grows the window or draws the ticket onto the clipboard.
void onGenerateClicked();

}  // namespace command
