// Resource numbers of the assets carried inside the program.
#pragma once
#define IDR_SKIN_ENGINE_IMAGE 100
#define IDR_STAMP_PICTURE 101
// Built-in skins 1 to 33 are RCDATA IDR_SKIN_BASE + number.
#define IDR_SKIN_BASE 200
