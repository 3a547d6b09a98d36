// The real MainWindow under Wine: places, stacking, focus, keys, the input filter and properties.
#include <gtest/gtest.h>

#include "harness.h"
#include "render/canvas.h"
#include "ui/description.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {
using ui::Control;

TEST(MainWindow, OpensCentredAtItsOuterSize) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    RECT outer;
    GetWindowRect(open.window(), &outer);
    POINT expected = ui::centredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 406, 246);
    EXPECT_EQ(expected.x, outer.left);
    EXPECT_EQ(expected.y, outer.top);
    EXPECT_EQ(406, outer.right - outer.left);
    EXPECT_EQ(246, outer.bottom - outer.top);
    if (GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 768) {
        EXPECT_EQ(309, outer.left);
        EXPECT_EQ(261, outer.top);
        EXPECT_EQ(715, outer.right);
        EXPECT_EQ(507, outer.bottom);
    }
    EXPECT_TRUE(IsWindowVisible(open.window()));
    LONG style = GetWindowLongA(open.window(), GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN),
              style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN));
    EXPECT_EQ(0, GetWindowLongA(open.window(), GWL_EXSTYLE) & ~(WS_EX_WINDOWEDGE));
    char caption[64] = {};
    GetWindowTextA(open.window(), caption, sizeof caption);
    EXPECT_STREQ("Tandrel（经典版）", caption);
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(SendMessageA(open.window(), WM_GETICON, ICON_SMALL, 0)));
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(SendMessageA(open.window(), WM_GETICON, ICON_BIG, 0)));
}

TEST(MainWindow, EveryControlHasItsParentPlaceSizeAndVisibility) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    for (const ui::ControlDescription& control : ui::kControls) {
        HWND window = ui::controlWindow(control.id);
        ASSERT_NE(nullptr, window) << control.name;
        HWND expectedParent = ui::controlWindow(control.parent);
        EXPECT_EQ(expectedParent, GetParent(window)) << control.name;
        RECT outer;
        GetWindowRect(window, &outer);
        MapWindowPoints(nullptr, expectedParent, reinterpret_cast<POINT*>(&outer), 2);
        EXPECT_EQ(control.left, outer.left) << control.name;
        EXPECT_EQ(control.top, outer.top) << control.name;
        EXPECT_EQ(control.width, outer.right - outer.left) << control.name;
        EXPECT_EQ(control.height, outer.bottom - outer.top) << control.name;
        EXPECT_EQ(control.shownAtStart, (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0) << control.name;
        EXPECT_EQ(control.tabStop, (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP) != 0) << control.name;
        EXPECT_TRUE(IsWindowEnabled(window)) << control.name;
        if (control.kind != ui::ControlKind::canvas) {
            EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)))
                << control.name;
        }
    }
    // In the window's client coordinates.
    RECT stamp;
    GetWindowRect(ui::controlWindow(Control::stampCanvas), &stamp);
    MapWindowPoints(nullptr, open.window(), reinterpret_cast<POINT*>(&stamp), 2);
    EXPECT_EQ(307, stamp.left);
    EXPECT_EQ(6, stamp.top);
    EXPECT_EQ(387, stamp.right);
    EXPECT_EQ(86, stamp.bottom);
}

TEST(MainWindow, StacksEachParentsControlsInTableOrder) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    struct Family {
        HWND parent;
        std::vector<Control> order;
    };
    const Family families[] = {
        {open.window(),
         {Control::supplementGroup, Control::groupNumberEdit, Control::groupNumberLabel, Control::generateButton,
          Control::ticketCanvas}},
        {ui::controlWindow(Control::supplementGroup),
         {Control::timeEdit, Control::nicknameEdit, Control::timeLabel, Control::nicknameLabel}},
        {ui::controlWindow(Control::ticketCanvas), {Control::stampCanvas}},
    };
    for (const Family& family : families) {
        std::vector<HWND> seen;
        for (HWND child = GetWindow(family.parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            seen.push_back(child);
        }
        ASSERT_EQ(family.order.size(), seen.size());
        for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(ui::controlWindow(family.order[i]), seen[i]) << i;
    }
}

TEST(MainWindow, ControlsHaveTheirKindsTextsAndStyles) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    struct Expect {
        Control control;
        const char* className;
        const char* text;
        LONG styleBits;
        LONG exStyleBits;
    };
    const Expect expectations[] = {
        {Control::generateButton, "Button", "生成", BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_TABSTOP, 0},
        {Control::supplementGroup, "Button", "补充信息", BS_GROUPBOX, 0},
        {Control::groupNumberEdit, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
        {Control::nicknameEdit, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
        {Control::timeEdit, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
        {Control::groupNumberLabel, ui::kLabelClass, "QQ群号：", 0, 0},
        {Control::nicknameLabel, ui::kLabelClass, "QQ昵称：", 0, 0},
        {Control::timeLabel, ui::kLabelClass, "时间：", 0, 0},
        {Control::ticketCanvas, ui::kCanvasClass, "", 0, 0},
        {Control::stampCanvas, ui::kCanvasClass, "", 0, 0},
    };
    for (const Expect& e : expectations) {
        HWND window = ui::controlWindow(e.control);
        char className[64] = {}, text[64] = {};
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, text, sizeof text);
        EXPECT_STRCASEEQ(e.className, className);
        EXPECT_STREQ(e.text, text);
        EXPECT_EQ(e.styleBits, GetWindowLongA(window, GWL_STYLE) & e.styleBits) << text;
        EXPECT_EQ(e.exStyleBits, GetWindowLongA(window, GWL_EXSTYLE) & e.exStyleBits) << text;
    }
    // The push button is not the default button, so Enter does not press it.
    EXPECT_EQ(0, GetWindowLongA(ui::controlWindow(Control::generateButton), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST(Focus, StartsOnGenerateAndTabWalksTheOrder) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    harness::bringToFront(open.window());
    SetFocus(open.window());  // the window's own focus passes to the first control
    harness::pump(50);
    EXPECT_EQ(ui::controlWindow(Control::generateButton), GetFocus());

    const Control forward[] = {Control::groupNumberEdit, Control::nicknameEdit, Control::timeEdit,
                               Control::generateButton};
    for (Control next : forward) {
        harness::pressKey(VK_TAB);
        EXPECT_EQ(ui::controlWindow(next), GetFocus());
    }
    const Control backward[] = {Control::timeEdit, Control::nicknameEdit, Control::groupNumberEdit,
                                Control::generateButton};
    for (Control next : backward) {
        harness::pressKey(VK_TAB, true);
        EXPECT_EQ(ui::controlWindow(next), GetFocus());
    }
    // No tab character lands in a box.
    char text[16] = {};
    GetWindowTextA(ui::controlWindow(Control::groupNumberEdit), text, sizeof text);
    EXPECT_STREQ("", text);
}

TEST(Focus, IsRememberedAcrossDeactivation) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    harness::bringToFront(open.window());
    SetFocus(ui::controlWindow(Control::nicknameEdit));
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    harness::pump(100);
    SetForegroundWindow(open.window());
    SetActiveWindow(open.window());
    harness::pump(100);
    EXPECT_EQ(ui::controlWindow(Control::nicknameEdit), GetFocus());
    DestroyWindow(other);
}

int gClicks = 0;
void countClick() { ++gClicks; }

TEST(Keys, EnterEscF1HaveNoEffectAndSpacePresses) {
    ui::EventHandlers handlers;
    handlers.onGenerateClicked = countClick;
    harness::OpenMainWindow open(handlers);
    ASSERT_TRUE(open.opened());
    harness::bringToFront(open.window());
    gClicks = 0;
    const Control places[] = {Control::generateButton, Control::groupNumberEdit, Control::nicknameEdit};
    for (Control place : places) {
        SetFocus(ui::controlWindow(place));
        harness::pressKey(VK_RETURN);
        harness::pressKey(VK_ESCAPE);
        harness::pressKey(VK_F1);
    }
    EXPECT_EQ(0, gClicks);
    EXPECT_TRUE(IsWindow(open.window()));
    EXPECT_TRUE(IsWindowVisible(open.window()));
    SetFocus(ui::controlWindow(Control::generateButton));
    harness::pressKey(VK_SPACE);
    EXPECT_EQ(1, gClicks);
}

TEST(GroupNumberEdit, FiltersTypedCharactersButNotPaste) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    harness::bringToFront(open.window());
    HWND edit = ui::controlWindow(Control::groupNumberEdit);
    SetFocus(edit);
    harness::typeText("12a-3 4");
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("12-34", text);
    // Double-byte characters arrive as bytes above 0x7F and are dropped too.
    SendMessageA(edit, WM_CHAR, 0xD5, 0);
    SendMessageA(edit, WM_CHAR, 0xC5, 0);
    harness::pressKey(VK_BACK);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("12-3", text);

    SetWindowTextA(edit, "");
    ASSERT_TRUE(OpenClipboard(open.window()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(memory), "abc", 4);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    harness::pressKey('V', false, true);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("abc", text);
}

TEST(Properties, ReadPlacesAndWriteHeight) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    EXPECT_EQ(299, ui::readProperty(Control::stampCanvas, ui::kLeft));
    EXPECT_EQ(2, ui::readProperty(Control::stampCanvas, ui::kTop));
    EXPECT_EQ(384, ui::readProperty(Control::ticketCanvas, ui::kWidth));
    EXPECT_EQ(173, ui::readProperty(Control::ticketCanvas, ui::kHeight));
    EXPECT_EQ(0, ui::readProperty(Control::stampCanvas, ui::kVisible));

    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 1);
    EXPECT_EQ(1, ui::readProperty(Control::stampCanvas, ui::kVisible));
    EXPECT_EQ(299, ui::readProperty(Control::stampCanvas, ui::kLeft));  // same shown or hidden
    EXPECT_EQ(2, ui::readProperty(Control::stampCanvas, ui::kTop));
    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 0);
    EXPECT_EQ(0, ui::readProperty(Control::stampCanvas, ui::kVisible));

    int left = ui::readProperty(Control::mainWindow, ui::kLeft);
    int top = ui::readProperty(Control::mainWindow, ui::kTop);
    int width = ui::readProperty(Control::mainWindow, ui::kWidth);
    EXPECT_EQ(246, ui::readProperty(Control::mainWindow, ui::kHeight));
    HWND active = GetActiveWindow();
    ui::writeProperty(Control::mainWindow, ui::kHeight, -1, 290);
    EXPECT_EQ(290, ui::readProperty(Control::mainWindow, ui::kHeight));
    EXPECT_EQ(left, ui::readProperty(Control::mainWindow, ui::kLeft));
    EXPECT_EQ(top, ui::readProperty(Control::mainWindow, ui::kTop));
    EXPECT_EQ(width, ui::readProperty(Control::mainWindow, ui::kWidth));
    EXPECT_EQ(active, GetActiveWindow());
    // Now the whole group box lies inside the client area.
    RECT client, group;
    GetClientRect(open.window(), &client);
    GetWindowRect(ui::controlWindow(Control::supplementGroup), &group);
    MapWindowPoints(nullptr, open.window(), reinterpret_cast<POINT*>(&group), 2);
    EXPECT_LE(group.bottom, client.bottom);
}

TEST(Properties, ClampHeightAndWidth) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    struct Case {
        int number;
        int32_t written;
        int32_t read;
    };
    const Case cases[] = {
        {ui::kHeight, 40000, 32627}, {ui::kHeight, 32627, 32627}, {ui::kHeight, -5, 0},
        {ui::kHeight, 30, 30},       {ui::kWidth, 99999, 32627},  {ui::kWidth, -1, 0},
    };
    for (const Case& c : cases) {
        ui::writeProperty(Control::groupNumberLabel, c.number, -1, c.written);
        EXPECT_EQ(c.read, ui::readProperty(Control::groupNumberLabel, c.number)) << c.written;
    }
}

TEST(Properties, TextOfEditBoxes) {
    harness::OpenMainWindow open;
    ASSERT_TRUE(open.opened());
    app::Text empty = ui::readTextProperty(Control::nicknameEdit, ui::kText);
    EXPECT_FALSE(empty.filled());
    EXPECT_STREQ("", empty.c_str());
    ui::writeTextProperty(Control::nicknameEdit, ui::kText, -1, "张三 ");
    EXPECT_STREQ("张三 ", ui::readTextProperty(Control::nicknameEdit, ui::kText).c_str());
    ui::writeTextProperty(Control::nicknameEdit, ui::kText, -1, nullptr);
    EXPECT_STREQ("", ui::readTextProperty(Control::nicknameEdit, ui::kText).c_str());
}

TEST(Properties, GoneControlsKeepTheirValues) {
    {
        harness::OpenMainWindow open;
        ASSERT_TRUE(open.opened());
    }
    EXPECT_EQ(nullptr, ui::controlWindow(Control::stampCanvas));
    EXPECT_EQ(299, ui::readProperty(Control::stampCanvas, ui::kLeft));
    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 1);
    EXPECT_EQ(1, ui::readProperty(Control::stampCanvas, ui::kVisible));
    ui::writeProperty(Control::stampCanvas, ui::kLeft, -1, 10);
    EXPECT_EQ(10, ui::readProperty(Control::stampCanvas, ui::kLeft));
}

int gMoves = 0;
void countMove(int, int, int) { ++gMoves; }

TEST(Mouse, MovingOverTheTicketCanvasReachesItsHandlerAndChangesNothing) {
    ui::EventHandlers handlers;
    handlers.onTicketCanvasMouseMove = countMove;
    harness::OpenMainWindow open(handlers);
    ASSERT_TRUE(open.opened());
    HWND canvas = ui::controlWindow(Control::ticketCanvas);
    uint32_t before = render::readPixel(Control::ticketCanvas, 100, 100);
    gMoves = 0;
    SendMessageA(canvas, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(100, 100));
    EXPECT_EQ(1, gMoves);
    EXPECT_EQ(before, render::readPixel(Control::ticketCanvas, 100, 100));
}

}  // namespace
