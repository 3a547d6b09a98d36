// The fixed description of MainWindow and its ten controls.
#pragma once
#include <windows.h>
#include <cstdint>

namespace ui {

// Controls in table order: among controls of one parent an earlier one lies above a later one.
enum class Control : int {
    mainWindow = -1,
    stampCanvas = 0,
    timeEdit,
    nicknameEdit,
    timeLabel,
    nicknameLabel,
    supplementGroup,
    groupNumberEdit,
    groupNumberLabel,
    generateButton,
    ticketCanvas,
};
constexpr int kControlCount = 10;
constexpr int indexOf(Control control) { return static_cast<int>(control); }

enum class ControlKind { canvas, editBox, label, groupBox, pushButton };

constexpr uint32_t kDefaultColour = 0xFF000000;  // the 3-D face colour / transparent marker

// The starting drawing state of a canvas.
struct CanvasDefaults {
    uint32_t backColour;
    int32_t autoRedraw;
    int32_t unit;
    int32_t penStyle;
    int32_t drawMode;
    int32_t penWidth;
    uint32_t penColour;
    int32_t brushStyle;
    uint32_t brushColour;
    uint32_t textColour;
    uint32_t textBackColour;
    bool hasFont;           // false: the stock DEFAULT_GUI_FONT's description is used
    const char* fontFace;
    int32_t fontHeight;
    int32_t fontWeight;
};

struct ControlDescription {
    Control id;
    const char* name;  // the control's name in the description
    ControlKind kind;
    Control parent;
    int left, top, width, height;
    const char* text;  // nullptr: none
    bool tabStop;
    bool shownAtStart;
    int tabKey;
    int pictureResource;             // 0: no picture
    const CanvasDefaults* canvas;    // canvases only
};

struct WindowDescription {
    const char* caption;
    int width, height;
    int positionMode;  // 1: centred on the primary screen
    int storedLeft, storedTop;
    bool shownAtStart;
    DWORD style;
    DWORD exStyle;
    UINT classStyle;
};

extern const WindowDescription kMainWindow;
extern const ControlDescription kControls[kControlCount];

const ControlDescription& describe(Control control);

// Window class names of the system's own kinds.
constexpr const char* kMainWindowClass = "TandrelMainWindow";
constexpr const char* kLabelClass = "TandrelLabel";
constexpr const char* kCanvasClass = "TandrelCanvas";

}  // namespace ui
