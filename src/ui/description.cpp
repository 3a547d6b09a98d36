// MainWindow as data: window settings and the ten controls, in stacking order.
#include "ui/description.h"

#include "assets/resource_ids.h"

namespace ui {

const WindowDescription kMainWindow = {
    "Tandrel（经典版）",
    406,
    246,
    1,
    50,
    50,
    true,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
    0,
    CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
};

namespace {

constexpr CanvasDefaults kTicketCanvasDefaults = {
    kDefaultColour, 1, 0, 1, 12, 0, 0x000000, 2, 0xFFFFFF, 0x000000, kDefaultColour,
    true, "宋体", -12, 400,
};

constexpr CanvasDefaults kStampCanvasDefaults = {
    kDefaultColour, 1, 0, 1, 12, 0, 0x000000, 1, 0xFFFFFF, 0x000000, kDefaultColour,
    false, nullptr, 0, 0,
};

}  // namespace

const ControlDescription kControls[kControlCount] = {
    {Control::stampCanvas, "画板2", ControlKind::canvas, Control::ticketCanvas, 299, 2, 80, 80, nullptr, false, false, 0,
     IDR_STAMP_PICTURE, &kStampCanvasDefaults},
    {Control::timeEdit, "编辑框3", ControlKind::editBox, Control::supplementGroup, 254, 12, 104, 20, "", true, true, 0, 0,
     nullptr},
    {Control::nicknameEdit, "编辑框2", ControlKind::editBox, Control::supplementGroup, 69, 12, 124, 20, "", true, true, 0,
     0, nullptr},
    {Control::timeLabel, "标签3", ControlKind::label, Control::supplementGroup, 217, 12, 32, 20, "时间：", false, true, 0,
     0, nullptr},
    {Control::nicknameLabel, "标签2", ControlKind::label, Control::supplementGroup, 17, 12, 52, 20, "QQ昵称：", false,
     true, 0, 0, nullptr},
    {Control::supplementGroup, "分组框1", ControlKind::groupBox, Control::mainWindow, 12, 216, 380, 40, "补充信息", false,
     true, 0, 0, nullptr},
    {Control::groupNumberEdit, "编辑框1", ControlKind::editBox, Control::mainWindow, 212, 184, 104, 24, "", true, true, 0,
     0, nullptr},
    {Control::groupNumberLabel, "标签1", ControlKind::label, Control::mainWindow, 165, 184, 52, 24, "QQ群号：", false,
     true, 0, 0, nullptr},
    {Control::generateButton, "按钮1", ControlKind::pushButton, Control::mainWindow, 328, 182, 64, 28, "生成", true, true,
     0, 0, nullptr},
    {Control::ticketCanvas, "画板1", ControlKind::canvas, Control::mainWindow, 8, 4, 384, 173, nullptr, false, true, 0, 0,
     &kTicketCanvasDefaults},
};

const ControlDescription& describe(Control control) { return kControls[indexOf(control)]; }

}  // namespace ui
