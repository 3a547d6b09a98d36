#include <gtest/gtest.h>
#include "harness.h"
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"
#include "ui/window.h"
TEST(Dump, Ticket) {
    harness::OpenMainWindow w;
    ASSERT_TRUE(w.opened());
    harness::bringToFront(w.window());
    ui::writeTextProperty(ui::Control::groupNumberEdit, ui::kText, -1, "123456789");
    EXPECT_TRUE(render::drawTicket("nick", "2024-01-02 03:04"));
    app::HeapBlock p = render::takePicture(ui::Control::ticketCanvas);
    harness::writeFile(harness::binaryDirectory() + "\\dump.bmp", p.data(), p.size());
    app::HeapBlock s = render::takePicture(ui::Control::stampCanvas);
    harness::writeFile(harness::binaryDirectory() + "\\stamp.bmp", s.data(), s.size());
    printf("face %06lx\n", GetSysColor(COLOR_BTNFACE));
}
