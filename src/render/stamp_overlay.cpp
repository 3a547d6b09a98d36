// The stamp overlay: stampCanvas's non-white pixels copied onto the ticket, column by column.
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace render {
namespace {

constexpr uint32_t kTransparent = 0xFFFFFF;
constexpr int kFirst = 1;
constexpr int kLast = 79;

}  // namespace

bool overlayStamp() {
    using ui::Control;
    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 1);
    const app::HeapBlock held = takePicture(Control::stampCanvas);
    for (int i = kFirst; i <= kLast; ++i) {
        // Pending messages run here: the stamp gets painted, and the user may even close the window.
        processPendingEvents();
        if (!ui::mainWindow()) return false;

        uint32_t column[kLast - kFirst + 1];
        readPixels(Control::stampCanvas, i, kFirst, 0, 1, kLast - kFirst + 1, column);
        // No message runs within a column, so the stamp's place cannot change inside it.
        const int left = ui::readProperty(Control::stampCanvas, ui::kLeft);
        const int top = ui::readProperty(Control::stampCanvas, ui::kTop);
        PixelWrite writes[kLast - kFirst + 1];
        int count = 0;
        for (int j = kFirst; j <= kLast; ++j) {
            uint32_t colour = column[j - kFirst];
            // What the screen cannot show (covered, off the screen, minimised) comes from the stamp itself.
            if (colour == kInvalidColour) colour = picturePixel(held, i, j);
            if (colour == kTransparent) continue;
            writes[count++] = {left + i, top + j, colour};
        }
        drawPixels(Control::ticketCanvas, writes, count);
    }
    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 0);
    return true;
}

}  // namespace render
