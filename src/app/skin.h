// Skin engine set-up: the engine library beside the program and the skin handed to it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace app {

constexpr size_t kSkinEngineImageSize = 88576;
constexpr int kBuiltInSkinCount = 33;
constexpr int kProgramSkin = 13;

// The embedded bytes (read-only resource memory); an empty span when missing.
struct ByteSpan {
    const uint8_t* data = nullptr;
    size_t size = 0;
};
ByteSpan skinEngineImage();
ByteSpan builtInSkin(int skinNumber);  // 1 to 33; empty otherwise

// Writes programDirectory\SkinH_EL.dll when no file or directory of that name exists, so that it
// appears complete or not at all, then gives it the hidden attribute alone.
void ensureSkinEngineFile();

// Makes sure of the engine file, then hands skin skinNumber (or none) to SkinH_AttachRes.
void attachSkin(int32_t skinNumber);

// The creation event of MainWindow.
void onMainWindowCreated();

}  // namespace app
