// The application shell's pure rules: program directory, fatal box text, texts, centring.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/fatal.h"
#include "app/memory.h"
#include "app/path.h"
#include "ui/window.h"

namespace {

TEST(ProgramDirectory, CutsAtTheLastRealBackslash) {
    struct Case {
        const char* path;
        const char* directory;
    };
    const Case cases[] = {
        {"C:\\Tools\\ticket.exe", "C:\\Tools"},
        {"D:\\ticket.exe", "D:"},
        {"ticket.exe", ""},
        {"", ""},
        {"C:\\a\\b\\c\\x.exe", "C:\\a\\b\\c"},
        // 0x81 0x5C is one double-byte character; its second byte is not a separator.
        {"C:\\a\\b\x81\x5C" "c.exe", "C:\\a"},
        {"C:\\dir\x81\x5C\\x.exe", "C:\\dir\x81\x5C"},
        {"\\\\server\\share\\x.exe", "\\\\server\\share"},
        {"C:\\机票\\ticket.exe", "C:\\机票"},
    };
    for (const Case& c : cases) {
        app::Text directory = app::directoryOfPath(c.path, 936);
        EXPECT_STREQ(c.directory, directory.c_str()) << "path " << c.path;
    }
}

TEST(ProgramDirectory, IsTheRunningProgramsFolderAndTheCurrentDirectory) {
    char path[MAX_PATH] = {}, current[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    EXPECT_STREQ(path, app::programDirectory());
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STREQ(path, current);
}

TEST(FatalText, ReadsExactlyAsTheBoxShowsIt) {
    struct Case {
        const char* message;
        int code;
        const char* expected;
    };
    const Case cases[] = {
        {"分配 1000 字节内存失败!", 0, "运行时出错!\r\n\r\n错误信息：分配 1000 字节内存失败!\r\n"},
        {"无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachRes”", 0,
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachRes”\r\n"},
        {"调用DLL命令后发现堆栈错误", 6, "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"},
        {"", 0, "运行时出错!\r\n\r\n"},
        {nullptr, -3, "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n"},
    };
    for (const Case& c : cases) {
        char text[512];
        size_t length = app::formatFatalText(text, sizeof text, c.message, c.code);
        EXPECT_EQ(std::string(c.expected), std::string(text, length));
    }
    // The texts are code page 936 bytes: "运行时出错!" is five double-byte characters and '!'.
    EXPECT_EQ(11u, strlen("运行时出错!"));
    EXPECT_EQ(0xD4, static_cast<unsigned char>("运"[0]));
}

TEST(FatalText, NeverOverrunsItsBuffer) {
    char text[20];
    memset(text, 'x', sizeof text);
    size_t length = app::formatFatalText(text, 16, "a long message that does not fit", 123);
    EXPECT_EQ(15u, length);
    EXPECT_EQ('\0', text[15]);
    EXPECT_EQ('x', text[16]);
}

TEST(Texts, AbsentFilledCompareConcat) {
    app::Text absent;
    EXPECT_TRUE(absent.absent());
    EXPECT_FALSE(absent.filled());
    EXPECT_STREQ("", absent.c_str());
    EXPECT_TRUE(app::Text::copyOf("").absent());
    EXPECT_TRUE(app::Text::copyOf(" ").filled());
    EXPECT_EQ(0, app::compareText(nullptr, ""));
    EXPECT_LT(app::compareText("a", "\xB0\xA1"), 0);  // unsigned bytes
    app::Text joined = app::Text::concat({"QQ群：", nullptr, "123"});
    EXPECT_STREQ("QQ群：123", joined.c_str());
    EXPECT_FALSE(app::Text::concat({nullptr}).absent());
}

TEST(Centring, DividesTowardZero) {
    struct Case {
        int screenWidth, screenHeight, left, top;
    };
    const Case cases[] = {
        {1920, 1080, 757, 417}, {1366, 768, 480, 261}, {1365, 768, 479, 261},
        {1024, 768, 309, 261},  {400, 768, -3, 261},   {405, 245, 0, 0},  // differences of -1 give 0, not -1
    };
    for (const Case& c : cases) {
        POINT origin = ui::centredOrigin(c.screenWidth, c.screenHeight, 406, 246);
        EXPECT_EQ(c.left, origin.x) << c.screenWidth;
        EXPECT_EQ(c.top, origin.y) << c.screenHeight;
    }
}

}  // namespace
