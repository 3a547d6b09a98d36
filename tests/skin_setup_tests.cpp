// The skin engine set-up in real processes: the engine file beside the program, what a present entry
// of that name does to a start, and what reaches the engine.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/skin.h"
#include "harness.h"

namespace {

const char kBindingBox[] =
    "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachRes”\r\n";

bool readFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got) bytes->append(buffer, got);
    CloseHandle(file);
    return ok;
}

std::string fileBytes(const std::string& path) {
    std::string bytes;
    readFile(path, &bytes);
    return bytes;
}

// The engine image the build padded for embedding, beside the binaries' directory.
std::string engineImage() { return fileBytes(harness::binaryDirectory() + "\\..\\skin-engine\\SkinH_EL.image"); }

// The recorder stands in for the engine; it is built away from the program so it never lands there.
std::string recorderPath() { return harness::binaryDirectory() + "\\..\\recorder\\SkinH_EL.dll"; }

std::string copyIn(const std::string& directory, const char* program) {
    std::string copy = directory + "\\" + program;
    CopyFileA((harness::binaryDirectory() + "\\" + program).c_str(), copy.c_str(), FALSE);
    return copy;
}

std::set<std::string> entriesOf(const std::string& directory) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// What tells one file on disk from another with the same bytes: a rewrite or a replacement
// changes the index or the write time.
struct Identity {
    DWORD indexHigh = 0, indexLow = 0;
    FILETIME written = {};
    bool operator==(const Identity& o) const {
        return indexHigh == o.indexHigh && indexLow == o.indexLow &&
               CompareFileTime(&written, &o.written) == 0;
    }
};
Identity identityOf(const std::string& path) {
    Identity identity;
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info)) {
        identity.indexHigh = info.nFileIndexHigh;
        identity.indexLow = info.nFileIndexLow;
        identity.written = info.ftLastWriteTime;
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return identity;
}

// The Linux path of a file under Wine; empty elsewhere.
std::string unixPath(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* converted = toUnix(wide);
    std::string result = converted ? converted : "";
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

// Wine reports the archive attribute on every file, so whether the hidden attribute stands alone is
// read from the Linux side after this suite: each line names a file and what its stored attributes
// must be ("hidden" alone, or "visible").
void expectStoredAttributes(const std::string& path, const char* expected) {
    std::string unix = unixPath(path);
    if (unix.empty()) {  // not under Wine: the attributes read back as they are
        EXPECT_EQ(strcmp(expected, "hidden") == 0 ? DWORD(FILE_ATTRIBUTE_HIDDEN) : DWORD(FILE_ATTRIBUTE_NORMAL),
                  GetFileAttributesA(path.c_str()) & ~DWORD(FILE_ATTRIBUTE_ARCHIVE))
            << path;
        return;
    }
    static bool started = false;
    std::string list = harness::binaryDirectory() + "\\skin-attributes.txt";
    HANDLE file = CreateFileA(list.c_str(), FILE_APPEND_DATA, 0, nullptr, started ? OPEN_ALWAYS : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    started = true;
    std::string line = std::string(expected) + "\t" + unix + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

// The attributes that are not for the user to see: they must never be set on the engine file.
constexpr DWORD kUnwanted = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

harness::ProcessOutcome startProgram(const std::string& directory) {
    return harness::runProcess("\"" + directory + "\\Tandrel.exe\"", directory, 1500);
}

void expectNormalRun(const harness::ProcessOutcome& outcome, const std::string& what) {
    EXPECT_TRUE(outcome.finished) << what;
    EXPECT_FALSE(outcome.timedOut) << what;
    EXPECT_EQ(0u, outcome.exitCode) << what;
    EXPECT_EQ("", outcome.errorBoxText) << what;
    EXPECT_TRUE(outcome.windowShown) << what;
}

TEST(SkinEngineFile, FirstStartWritesTheWholeImageHidden) {
    std::string image = engineImage();
    ASSERT_EQ(app::kSkinEngineImageSize, image.size());
    std::string directory = harness::freshDirectory("skin-first");
    copyIn(directory, "Tandrel.exe");
    expectNormalRun(startProgram(directory), "first start");

    std::string engine = directory + "\\SkinH_EL.dll";
    std::string written;
    ASSERT_TRUE(readFile(engine, &written));
    EXPECT_EQ(88576u, written.size());
    EXPECT_TRUE(written == image) << "the file differs from the embedded image";
    // Nothing else is left behind, a temporary file least of all.
    EXPECT_EQ((std::set<std::string>{"SkinH_EL.dll", "Tandrel.exe"}), entriesOf(directory));
    DWORD attributes = GetFileAttributesA(engine.c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(0u, attributes & kUnwanted);
    expectStoredAttributes(engine, "hidden");
}

TEST(SkinEngineFile, LaterStartsLeaveItAlone) {
    std::string image = engineImage();
    for (bool userMadeItVisible : {false, true}) {
        std::string what = userMadeItVisible ? "made visible by the user" : "as written";
        std::string directory = harness::freshDirectory("skin-later");
        copyIn(directory, "Tandrel.exe");
        std::string engine = directory + "\\SkinH_EL.dll";
        expectNormalRun(startProgram(directory), what + ", first start");
        if (userMadeItVisible) {
            ASSERT_TRUE(SetFileAttributesA(engine.c_str(), FILE_ATTRIBUTE_NORMAL));
        }
        Identity before = identityOf(engine);
        Sleep(50);  // a rewrite would then carry a later write time

        expectNormalRun(startProgram(directory), what + ", second start");
        EXPECT_TRUE(fileBytes(engine) == image) << what;
        EXPECT_TRUE(before == identityOf(engine)) << what << ": the file was rewritten or replaced";
        EXPECT_EQ(!userMadeItVisible, (GetFileAttributesA(engine.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0) << what;
        EXPECT_EQ((std::set<std::string>{"SkinH_EL.dll", "Tandrel.exe"}), entriesOf(directory)) << what;
        expectStoredAttributes(engine, userMadeItVisible ? "visible" : "hidden");
    }
}

// A present entry of that name counts as the engine, whatever it is; one that does not load stops
// the start before the window shows, and every later start the same way.
TEST(SkinEngineFile, AnEntryAlreadyThereIsNeverReplaced) {
    struct Case {
        const char* what;
        bool directory;
        std::string content;
    };
    const Case cases[] = {
        {"text file", false, "not a dll\n"},
        {"empty file", false, ""},
        {"engine cut short by a failed write", false, engineImage().substr(0, 4096)},
        {"directory", true, ""},
    };
    for (const Case& c : cases) {
        std::string directory = harness::freshDirectory("skin-present");
        copyIn(directory, "Tandrel.exe");
        std::string engine = directory + "\\SkinH_EL.dll";
        if (c.directory) {
            ASSERT_TRUE(CreateDirectoryA(engine.c_str(), nullptr)) << c.what;
        } else {
            ASSERT_TRUE(harness::writeFile(engine, c.content.data(), c.content.size())) << c.what;
        }
        DWORD attributesBefore = GetFileAttributesA(engine.c_str());
        Identity before = identityOf(engine);
        Sleep(50);

        for (const char* start : {"first start", "second start"}) {
            harness::ProcessOutcome outcome = startProgram(directory);
            EXPECT_TRUE(outcome.finished) << c.what << ", " << start;
            EXPECT_FALSE(outcome.timedOut) << c.what << ", " << start;
            EXPECT_EQ(0xFFFFFFFFu, outcome.exitCode) << c.what << ", " << start;
            EXPECT_EQ(std::string(kBindingBox), outcome.errorBoxText) << c.what << ", " << start;
            EXPECT_FALSE(outcome.windowShown) << c.what << ", " << start;
        }
        EXPECT_EQ(attributesBefore, GetFileAttributesA(engine.c_str())) << c.what;
        EXPECT_TRUE(before == identityOf(engine)) << c.what << ": the entry was rewritten or replaced";
        if (c.directory) {
            EXPECT_TRUE(entriesOf(engine).empty()) << c.what;
        } else {
            EXPECT_TRUE(fileBytes(engine) == c.content) << c.what;
            expectStoredAttributes(engine, "visible");
        }
        EXPECT_EQ((std::set<std::string>{"SkinH_EL.dll", "Tandrel.exe"}), entriesOf(directory)) << c.what;
    }
}

// The line the recorder writes for one call: length, address or null, the first four bytes and a
// checksum of all of them, the kind of text, and the last three integers.
std::string recordedLine(int skinNumber) {
    app::ByteSpan skin = app::builtInSkin(skinNumber);
    if (!skin.size) return "0 null - - empty-text 0 0 0";
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < skin.size; ++i) hash = (hash ^ skin.data[i]) * 16777619u;
    char line[96];
    snprintf(line, sizeof line, "%u address %.4s %08x empty-text 0 0 0", static_cast<unsigned>(skin.size),
             reinterpret_cast<const char*>(skin.data), hash);
    return line;
}

TEST(AttachSkin, HandsTheEngineTheSkinOrNothing) {
    ASSERT_EQ("26370 address .SHE", recordedLine(13).substr(0, 18));
    std::string recorder = fileBytes(recorderPath());
    ASSERT_FALSE(recorder.empty()) << recorderPath();
    for (int skinNumber : {13, 0, 34, -1}) {
        std::string directory = harness::freshDirectory("skin-attach");
        copyIn(directory, "tandrel_probe.exe");
        ASSERT_TRUE(CopyFileA(recorderPath().c_str(), (directory + "\\SkinH_EL.dll").c_str(), TRUE));
        harness::ProcessOutcome outcome = harness::runProcess(
            "\"" + directory + "\\tandrel_probe.exe\" attach " + std::to_string(skinNumber), directory);
        EXPECT_TRUE(outcome.finished) << skinNumber;
        EXPECT_EQ(0u, outcome.exitCode) << skinNumber;
        EXPECT_EQ("", outcome.errorBoxText) << skinNumber;
        EXPECT_EQ(recordedLine(skinNumber) + "\r\n", fileBytes(directory + "\\recorded.txt")) << skinNumber;
        EXPECT_TRUE(fileBytes(directory + "\\SkinH_EL.dll") == recorder) << skinNumber;
    }
}

TEST(AttachSkin, TheProgramHandsSkin13ToTheEngineBesideIt) {
    std::string directory = harness::freshDirectory("skin-program");
    copyIn(directory, "Tandrel.exe");
    ASSERT_TRUE(CopyFileA(recorderPath().c_str(), (directory + "\\SkinH_EL.dll").c_str(), TRUE));
    expectNormalRun(startProgram(directory), "program with the recorder");
    EXPECT_EQ(recordedLine(13) + "\r\n", fileBytes(directory + "\\recorded.txt"));
    EXPECT_TRUE(fileBytes(directory + "\\SkinH_EL.dll") == fileBytes(recorderPath()));
}

TEST(AttachSkin, TheSkinCopyIsReleasedRightAfterTheCall) {
    std::string directory = harness::freshDirectory("skin-release");
    copyIn(directory, "tandrel_probe.exe");
    ASSERT_TRUE(CopyFileA(recorderPath().c_str(), (directory + "\\SkinH_EL.dll").c_str(), TRUE));
    harness::ProcessOutcome outcome =
        harness::runProcess("\"" + directory + "\\tandrel_probe.exe\" attach-released", directory);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ("", outcome.errorBoxText);
    // 1: still held after the call; 3: the heap walk cannot tell held from released; 4: no address.
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ(recordedLine(13) + "\r\n", fileBytes(directory + "\\recorded.txt"));
}

}  // namespace
