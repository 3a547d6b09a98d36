// Generate command subsystem: the click of "生成", from the clipboard text to the ticket bitmap.
#include "command/generate.h"

#include "command/clipboard_text.h"
#include "command/header_search.h"
#include "command/image_export.h"
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"

namespace command {
namespace {

using ui::Control;

constexpr int32_t kGrownHeight = 290;

// Set while a ticket is being drawn: the stamp overlay lets messages run, and a click that arrives
// then would start a second ticket inside the first.
bool gDrawing = false;

class DrawingGuard {
public:
    DrawingGuard() { gDrawing = true; }
    ~DrawingGuard() { gDrawing = false; }
    DrawingGuard(const DrawingGuard&) = delete;
    DrawingGuard& operator=(const DrawingGuard&) = delete;
};

}  // namespace

void onGenerateClicked() {
    if (gDrawing) return;  // ignored: no nested ticket
    app::Text recipientName, departureTime;

    setClipboardText("0 ");
    HeaderPattern pattern;
    HeaderMatch match;
    {
        app::Text reading = getClipboardText();
        match = pattern.search(reading.c_str());
    }
    {
        app::Text reading = getClipboardText();
        recipientName = cutGroup(reading.c_str(), match, 1);
    }
    {
        app::Text reading = getClipboardText();
        departureTime = cutGroup(reading.c_str(), match, 2);
    }

    bool bothBoxesFilled = ui::readTextProperty(Control::nicknameEdit, ui::kText).filled() &&
                           ui::readTextProperty(Control::timeEdit, ui::kText).filled();
    if (bothBoxesFilled) {
        recipientName = ui::readTextProperty(Control::nicknameEdit, ui::kText);
        departureTime = ui::readTextProperty(Control::timeEdit, ui::kText);
    }

    bool grow = !recipientName.filled() || !departureTime.filled() || !getClipboardText().filled();
    if (grow) {
        ui::writeProperty(Control::mainWindow, ui::kHeight, -1, kGrownHeight);
        return;
    }

    {
        DrawingGuard guard;
        // The window may be closed while the stamp overlay lets messages run: then stop quietly.
        if (!render::drawTicket(recipientName.c_str(), departureTime.c_str())) return;
    }
    {
        app::HeapBlock imageBytes = render::takePicture(Control::ticketCanvas);
        copyImageToClipboard(imageBytes);
    }
    ui::writeTextProperty(Control::nicknameEdit, ui::kText, -1, "");
    ui::writeTextProperty(Control::timeEdit, ui::kText, -1, "");
}

}  // namespace command
