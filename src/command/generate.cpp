// Generate command subsystem: the click of "生成" from the clipboard text to the ticket bitmap.
#include "command/generate.h"

namespace command {

void onGenerateClicked() {}

}  // namespace command
