// The Generate command under Wine: header search, every click path, and the clipboard bitmap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "command/clipboard_text.h"
#include "command/generate.h"
#include "command/header_search.h"
#include "command/image_export.h"
#include "harness.h"
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {
using ui::Control;

TEST(HeaderSearch, FindsNicknameAndTime) {
    EXPECT_EQ(24u, strlen(command::kHeaderPattern));
    struct Case {
        const char* text;
        bool found;
        const char* group1;  // nullptr: absent
        const char* group2;
    };
    const Case cases[] = {
        {"Alice(10001)  12:30:45\r\nmore text", true, "Alice", "12:30:45"},
        {"Alice(10001)  12:30:45\nmore", true, "Alice", "12:30:45"},
        {"(1)  x ", true, nullptr, "x"},                 // group 1 empty: absent
        {"Bob(2)  09:00", false, nullptr, nullptr},      // no whitespace after the time
        {"note\r\nBob(2)  09:00 x", true, "note\r\nBob", "09:00"},
        {"0 ", false, nullptr, nullptr},
        {"", false, nullptr, nullptr},
        {"张三（1）  x ", false, nullptr, nullptr},        // full-width parentheses are not "(" or ")"
        {"张三(1)\t 12:00\r\n", true, "张三", "12:00"},
        {"a(b)  \r\n", true, "a", nullptr},               // group 2 empty: CR is the one whitespace
    };
    command::HeaderPattern pattern;
    ASSERT_TRUE(pattern.compiled());
    for (const Case& c : cases) {
        command::HeaderMatch match = pattern.search(c.text);
        EXPECT_EQ(c.found, match.found) << c.text;
        app::Text one = command::cutGroup(c.text, match, 1);
        app::Text two = command::cutGroup(c.text, match, 2);
        EXPECT_EQ(c.group1 == nullptr, one.absent()) << c.text;
        EXPECT_EQ(c.group2 == nullptr, two.absent()) << c.text;
        if (c.group1) EXPECT_STREQ(c.group1, one.c_str());
        if (c.group2) EXPECT_STREQ(c.group2, two.c_str());
        if (match.found) EXPECT_EQ(0u, match.groups[0].offset) << "a match starts at the first byte";
    }
    EXPECT_FALSE(pattern.search(nullptr).found);
}

TEST(HeaderSearch, CutsStayInsideAChangedReading) {
    command::HeaderPattern pattern;
    command::HeaderMatch match = pattern.search("Alexander(1)  12:30:45 ");
    ASSERT_TRUE(match.found);
    EXPECT_STREQ("Alex", command::cutGroup("Alex", match, 1).c_str());
    EXPECT_TRUE(command::cutGroup("Alex", match, 2).absent());  // offset beyond the reading
    EXPECT_TRUE(command::cutGroup("", match, 1).absent());
    EXPECT_TRUE(command::cutGroup(nullptr, match, 1).absent());
}

// The clipboard as the tests see it.
std::string clipboardText() {
    app::Text text = command::getClipboardText();
    return text.c_str();
}

// The clipboard's CF_BITMAP as a picture, or empty.
app::HeapBlock clipboardPicture() {
    app::HeapBlock picture;
    if (!OpenClipboard(nullptr)) return picture;
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info = {};
    if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof header;
        header.biWidth = info.bmWidth;
        header.biHeight = info.bmHeight;
        header.biPlanes = 1;
        header.biBitCount = 24;
        size_t stride = ((24u * info.bmWidth + 31u) / 32u) * 4u;
        picture = app::HeapBlock(54 + stride * info.bmHeight);
        memset(picture.data(), 0, 54);
        memcpy(picture.data() + 14, &header, sizeof header);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, info.bmHeight, picture.data() + 54, reinterpret_cast<BITMAPINFO*>(picture.data() + 14),
                  DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    CloseClipboard();
    return picture;
}

bool samePixels(const app::HeapBlock& a, const app::HeapBlock& b) {
    if (harness::pictureWidth(a) != harness::pictureWidth(b) || harness::pictureHeight(a) != harness::pictureHeight(b)) {
        return false;
    }
    for (int y = 0; y < harness::pictureHeight(a); ++y) {
        for (int x = 0; x < harness::pictureWidth(a); ++x) {
            if (harness::picturePixel(a, x, y) != harness::picturePixel(b, x, y)) return false;
        }
    }
    return true;
}

class GenerateTest : public testing::Test {
protected:
    static ui::EventHandlers handlers() {
        ui::EventHandlers h;
        h.onGenerateClicked = command::onGenerateClicked;
        return h;
    }
    void SetUp() override {
        ASSERT_TRUE(window_.opened());
        harness::bringToFront(window_.window());
        command::failClipboardWritesForTesting(false);
    }
    void TearDown() override { command::failClipboardWritesForTesting(false); }
    void fill(const char* group, const char* nickname, const char* time) {
        ui::writeTextProperty(Control::groupNumberEdit, ui::kText, -1, group);
        ui::writeTextProperty(Control::nicknameEdit, ui::kText, -1, nickname);
        ui::writeTextProperty(Control::timeEdit, ui::kText, -1, time);
    }
    std::string text(Control control) { return ui::readTextProperty(control, ui::kText).c_str(); }
    int height() { return ui::readProperty(Control::mainWindow, ui::kHeight); }
    // A real click on "生成".
    void clickGenerate() {
        RECT button;
        GetWindowRect(ui::controlWindow(Control::generateButton), &button);
        harness::clickAt((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        harness::pump(50);
    }
    harness::OpenMainWindow window_{handlers()};
};

TEST_F(GenerateTest, BothBoxesFilledDrawsTheTicketOntoTheClipboard) {
    fill("123456", "张三", "12:00");
    command::setClipboardText("old text");
    clickGenerate();
    app::HeapBlock canvas = render::takePicture(Control::ticketCanvas);
    ASSERT_EQ(199350u, canvas.size());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT) && clipboardText() == "old text");
    app::HeapBlock pasted = clipboardPicture();
    EXPECT_EQ(384, harness::pictureWidth(pasted));
    EXPECT_EQ(173, harness::pictureHeight(pasted));
    EXPECT_TRUE(samePixels(canvas, pasted));
    EXPECT_EQ("", text(Control::nicknameEdit));
    EXPECT_EQ("", text(Control::timeEdit));
    EXPECT_EQ("123456", text(Control::groupNumberEdit));
    EXPECT_EQ(246, height());
    // The ticket carries the seal red of the stamp.
    int seal = 0;
    for (int y = 3; y <= 81; ++y) {
        for (int x = 300; x <= 378; ++x) seal += harness::picturePixel(canvas, x, y) == 0x001400C8u;
    }
    EXPECT_GT(seal, 100);
}

TEST_F(GenerateTest, MissingValuesGrowTheWindowAndKeepTheBoxes) {
    struct Case {
        const char* nickname;
        const char* time;
    };
    const Case cases[] = {{"张三", ""}, {"", "12:00"}, {"", ""}};
    for (const Case& c : cases) {
        ui::writeProperty(Control::mainWindow, ui::kHeight, -1, 246);
        fill("123", c.nickname, c.time);
        app::HeapBlock before = render::takePicture(Control::ticketCanvas);
        clickGenerate();
        EXPECT_EQ(290, height()) << c.nickname << "/" << c.time;
        EXPECT_EQ(c.nickname, text(Control::nicknameEdit));
        EXPECT_EQ(c.time, text(Control::timeEdit));
        EXPECT_EQ("0 ", clipboardText());
        EXPECT_TRUE(samePixels(before, render::takePicture(Control::ticketCanvas))) << "the canvas is not painted";
    }
    // Grown once, a second click with both boxes filled draws and the height stays.
    fill("123", "李四", "09:30");
    clickGenerate();
    EXPECT_EQ(290, height());
    EXPECT_EQ("", text(Control::nicknameEdit));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(GenerateTest, ASpaceCountsAsFilledAndAnEmptyGroupNumberStillDraws) {
    fill("", " ", "x");
    clickGenerate();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ("", text(Control::nicknameEdit));
    EXPECT_EQ("", text(Control::timeEdit));
    EXPECT_EQ(246, height());
}

// The clipboard write of the click fails while the clipboard holds a chat header.
TEST_F(GenerateTest, AFailedWriteLeavesTheClipboardHeaderToBeSearched) {
    const char* alice = "Alice(10001)  12:30:45\r\nmore text";
    struct Case {
        const char* clipboard;
        const char* nickname;
        const char* time;
        bool draws;
        const char* drawnName;  // what the ticket shows, checked against a ticket drawn directly
        const char* drawnTime;
    };
    const Case cases[] = {
        {alice, "", "", true, "Alice", "12:30:45"},
        {alice, "张三", "08:00", true, "张三", "08:00"},
        {alice, "张三", "", true, "Alice", "12:30:45"},
        {"(1)  x ", "", "", false, nullptr, nullptr},
        {"Bob(2)  09:00", "", "", false, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        ui::writeProperty(Control::mainWindow, ui::kHeight, -1, 246);
        command::setClipboardText(c.clipboard);
        command::failClipboardWritesForTesting(true);
        fill("42", c.nickname, c.time);
        clickGenerate();
        command::failClipboardWritesForTesting(false);
        if (c.draws) {
            app::HeapBlock drawn = render::takePicture(Control::ticketCanvas);
            EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)) << c.clipboard;
            EXPECT_EQ("", text(Control::nicknameEdit));
            EXPECT_EQ("", text(Control::timeEdit));
            ASSERT_TRUE(render::drawTicket(c.drawnName, c.drawnTime));
            EXPECT_TRUE(samePixels(drawn, render::takePicture(Control::ticketCanvas))) << c.drawnName;
        } else {
            EXPECT_EQ(290, height()) << c.clipboard;
            EXPECT_EQ(c.clipboard, clipboardText());
        }
    }
}

TEST_F(GenerateTest, AClipboardHeldByAnotherProgramGrowsTheWindow) {
    // Another process holds the clipboard open for the whole click: every reading is absent.
    std::string directory = harness::freshDirectory("hold");
    std::string holder = directory + "\\tandrel_probe.exe";
    CopyFileA((harness::binaryDirectory() + "\\tandrel_probe.exe").c_str(), holder.c_str(), FALSE);
    command::setClipboardText("Alice(10001)  12:30:45\r\n");
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, "TandrelClipboardHeld");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "TandrelClipboardRelease");
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    std::string line = "\"" + holder + "\" hold-clipboard";
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup, &process));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 10000));
    fill("42", "张三", "08:00");
    clickGenerate();
    SetEvent(release);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(held);
    CloseHandle(release);
    EXPECT_EQ(290, height());
    EXPECT_EQ("张三", text(Control::nicknameEdit));
    EXPECT_EQ("Alice(10001)  12:30:45\r\n", clipboardText()) << "the earlier contents stay";
}

// A click that arrives while a ticket is being drawn (the stamp overlay lets messages run) is ignored.
int gDepth = 0;
int gNestedCalls = 0;
bool gNestedDrewATicket = false;
void countingGenerate() {
    ++gDepth;
    if (gDepth > 1) {
        ++gNestedCalls;
        // A nested ticket would run its own overlay to the end and hide the stamp canvas.
        bool stampShown = IsWindowVisible(ui::controlWindow(Control::stampCanvas)) != 0;
        command::onGenerateClicked();
        gNestedDrewATicket = stampShown && !IsWindowVisible(ui::controlWindow(Control::stampCanvas));
    } else {
        command::onGenerateClicked();
    }
    --gDepth;
}

TEST(GenerateReentry, AClickDuringDrawingIsIgnored) {
    ui::EventHandlers handlers;
    handlers.onGenerateClicked = countingGenerate;
    harness::OpenMainWindow window(handlers);
    ASSERT_TRUE(window.opened());
    ui::writeTextProperty(Control::nicknameEdit, ui::kText, -1, "张三");
    ui::writeTextProperty(Control::timeEdit, ui::kText, -1, "12:00");
    gNestedCalls = 0;
    gNestedDrewATicket = false;
    HWND button = ui::controlWindow(Control::generateButton);
    PostMessageA(button, BM_CLICK, 0, 0);  // waits in the queue for the overlay's first column
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(1, gNestedCalls);
    EXPECT_FALSE(gNestedDrewATicket);
    EXPECT_FALSE(IsWindowVisible(ui::controlWindow(Control::stampCanvas)));
    EXPECT_EQ("", std::string(ui::readTextProperty(Control::nicknameEdit, ui::kText).c_str()));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST(ImageExport, UndecodableBytesGiveNoBitmap) {
    struct Case {
        size_t size;
        const char* start;
    };
    const Case cases[] = {{0, ""}, {5, "BM\0\0\0"}, {54, "XX"}, {60, "BM"}};
    for (const Case& c : cases) {
        app::HeapBlock bytes(c.size);
        if (c.size) memset(bytes.data(), 0, c.size);
        if (c.size) memcpy(bytes.data(), c.start, c.size < 2 ? c.size : 2);
        EXPECT_EQ(nullptr, command::bitmapFromImageBytes(bytes)) << c.size;
    }
    // The clipboard is still emptied and given CF_BITMAP with handle 0.
    command::setClipboardText("before");
    command::copyImageToClipboard(app::HeapBlock());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST(ImageExport, NoGdiObjectIsLeftBehind) {
    harness::OpenMainWindow window;
    app::HeapBlock picture = render::takePicture(Control::ticketCanvas);
    command::copyImageToClipboard(picture);
    command::setClipboardText("x");
    DWORD before = harness::gdiObjects();
    for (int i = 0; i < 50; ++i) command::copyImageToClipboard(picture);
    command::setClipboardText("x");  // the clipboard lets go of its bitmap
    harness::pump(50);
    EXPECT_EQ(before, harness::gdiObjects());
}

}  // namespace
