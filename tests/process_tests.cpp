// Real processes: exit codes and the exact texts of the fatal error box.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

// The probe runs from a fresh folder of its own, so its program directory holds nothing else.
std::string probeIn(const std::string& directory, const char* mode) {
    std::string copy = directory + "\\tandrel_probe.exe";
    CopyFileA((harness::binaryDirectory() + "\\tandrel_probe.exe").c_str(), copy.c_str(), FALSE);
    return "\"" + copy + "\" " + mode;
}

TEST(FatalStop, ShowsTheBoxAndEndsWithMinusOne) {
    struct Case {
        const char* mode;
        const char* boxText;
    };
    const Case cases[] = {
        {"alloc-1000", "运行时出错!\r\n\r\n错误信息：分配 1000 字节内存失败!\r\n"},
        {"alloc", "运行时出错!\r\n\r\n错误信息：分配 18446744073709547520 字节内存失败!\r\n"},
        {"bind-skin",
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachRes”\r\n"},
        {"canvas-after-close", "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n"},
        {"property-after-close", "运行时出错!\r\n\r\n错误信息：指定窗口尚未载入\r\n"},
        {"canvas-property-after-close", "运行时出错!\r\n\r\n错误信息：指定窗口尚未载入\r\n"},
    };
    for (const Case& c : cases) {
        std::string directory = harness::freshDirectory("fatal");
        harness::ProcessOutcome outcome = harness::runProcess(probeIn(directory, c.mode), directory);
        EXPECT_TRUE(outcome.finished) << c.mode;
        EXPECT_FALSE(outcome.timedOut) << c.mode;
        EXPECT_EQ(0xFFFFFFFFu, outcome.exitCode) << c.mode;
        EXPECT_EQ(std::string(c.boxText), outcome.errorBoxText) << c.mode;
    }
}

TEST(TicketOverlay, ClosingTheWindowMidTicketEndsTheProcessNormally) {
    std::string directory = harness::freshDirectory("close");
    harness::ProcessOutcome outcome = harness::runProcess(probeIn(directory, "close-during-overlay"), directory);
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ("", outcome.errorBoxText);
}

}  // namespace
