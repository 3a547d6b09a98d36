// The set-up of the skin engine in the creation event of MainWindow.
#include "app/skin.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "app/memory.h"
#include "app/outside.h"
#include "app/path.h"
#include "assets/resource_ids.h"

namespace app {
namespace {

ByteSpan resourceBytes(int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

Text engineFilePath() { return Text::concat({programDirectory(), "\\SkinH_EL.dll"}); }

// Writes the whole image to a fresh file; false on any shortfall.
bool writeImage(const char* path, ByteSpan image) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool complete = WriteFile(file, image.data, static_cast<DWORD>(image.size), &written, nullptr) &&
                    written == image.size;
    complete = CloseHandle(file) && complete;
    return complete;
}

}  // namespace

ByteSpan skinEngineImage() { return resourceBytes(IDR_SKIN_ENGINE_IMAGE); }

ByteSpan builtInSkin(int skinNumber) {
    if (skinNumber < 1 || skinNumber > kBuiltInSkinCount) return {};
    return resourceBytes(IDR_SKIN_BASE + skinNumber);
}

void ensureSkinEngineFile() {
    {
        Text path = engineFilePath();
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(path.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            return;  // a file or directory of that name is never replaced
        }
    }
    {
        // Written under a temporary name and moved into place without replacing anything, so a
        // failed or interrupted write never leaves a partial library that would stop every start.
        Text path = engineFilePath();
        char suffix[32];
        snprintf(suffix, sizeof suffix, ".%lu.tmp", static_cast<unsigned long>(GetCurrentProcessId()));
        Text temporary = Text::concat({path.c_str(), suffix});
        ByteSpan image = skinEngineImage();
        if (image.size && writeImage(temporary.c_str(), image)) {
            if (!MoveFileA(temporary.c_str(), path.c_str())) DeleteFileA(temporary.c_str());
        } else {
            DeleteFileA(temporary.c_str());
        }
    }
    Text path = engineFilePath();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

void attachSkin(int32_t skinNumber) {
    ensureSkinEngineFile();
    HeapBlock copy;
    ByteSpan skin = builtInSkin(skinNumber);
    if (skin.size) {
        copy = HeapBlock(skin.size);
        memcpy(copy.data(), skin.data, skin.size);
    }
    static const char kEmpty[1] = "";
    callOutside(Outside::SkinH_AttachRes,
                {reinterpret_cast<uintptr_t>(copy.data()), static_cast<uintptr_t>(copy.size()),
                 reinterpret_cast<uintptr_t>(kEmpty), 0, 0, 0});
    // The copy is released here, right after the call; the engine keeps its own.
}

void onMainWindowCreated() { attachSkin(kProgramSkin); }

}  // namespace app
