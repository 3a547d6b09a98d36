// The ticket layout as one table of drawing-state writes and operations, walked in order.
#include "render/ticket.h"

#include "render/canvas.h"
#include "ui/properties.h"

namespace render {
namespace {

using ui::Control;

enum class Kind {
    set,       // a drawing-state property
    setFont,   // a font field
    fillWhole, // fillRect(0, 0, width, height) with the canvas's size read just before
    fill,
    line,
    text,
};

// Where the text of a text step comes from.
enum class Source { fixed, recipient, origin, issuer, departure };

struct Step {
    Kind kind;
    int number;       // property number, or font sub-index
    int32_t value;
    int x1, y1, x2, y2;
    Source source;
    const char* text;
};

constexpr Step set(int number, int32_t value) { return {Kind::set, number, value, 0, 0, 0, 0, Source::fixed, nullptr}; }
constexpr Step font(int field, int32_t value) { return {Kind::setFont, field, value, 0, 0, 0, 0, Source::fixed, nullptr}; }
constexpr Step fill(int x1, int y1, int x2, int y2) { return {Kind::fill, 0, 0, x1, y1, x2, y2, Source::fixed, nullptr}; }
constexpr Step line(int x1, int y1, int x2, int y2) { return {Kind::line, 0, 0, x1, y1, x2, y2, Source::fixed, nullptr}; }
constexpr Step text(int x, int y, const char* fixed) { return {Kind::text, 0, 0, x, y, 0, 0, Source::fixed, fixed}; }
constexpr Step text(int x, int y, Source source) { return {Kind::text, 0, 0, x, y, 0, 0, source, nullptr}; }

constexpr int32_t kLightBlue = 0xFFE3C8;
constexpr int32_t kPaleTeal = 0xD6DBAC;
constexpr int32_t kSteelBlue = 0x9F6620;
constexpr int32_t kNavy = 0x800000;
constexpr int32_t kRose = 0x8000FF;
constexpr int32_t kRed = 0x0000FF;

constexpr Step kTicketSteps[] = {
    set(kBrushStyle, 52),                          //  1
    set(kBrushColour, kLightBlue),                 //  2
    {Kind::fillWhole, 0, 0, 0, 0, 0, 0, Source::fixed, nullptr},  //  3 the patterned background
    set(kBrushColour, kPaleTeal),                  //  4
    set(kBrushStyle, 1),                           //  5
    set(kTextColour, kNavy),                       //  6
    font(kFontSize, 11),                           //  7
    font(kFontBold, 1),                            //  8
    text(125, 3, "QQ群免费单程飞机票"),             //  9 the title
    set(kPenColour, kSteelBlue),                   // 10
    set(kPenStyle, 3),                             // 11 dotted
    line(0, 0, 0, 173),                            // 12 outer frame
    line(0, 0, 384, 0),                            // 13
    line(383, 0, 383, 173),                        // 14
    line(383, 172, 0, 172),                        // 15
    set(kPenStyle, 1),                             // 16 solid
    line(7, 23, 7, 139),                           // 17 inner frame
    line(7, 23, 375, 23),                          // 18
    line(375, 23, 375, 139),                       // 19
    line(375, 139, 6, 139),                        // 20
    line(7, 45, 375, 45),                          // 21 between rows 1 and 2
    set(kBrushColour, kPaleTeal),                  // 22
    fill(8, 24, 63, 45),                           // 23 row 1, first label cell
    set(kTextColour, kNavy),                       // 24
    font(kFontBold, 0),                            // 25
    font(kFontSize, 9),                            // 26
    text(12, 29, "机票类型"),                      // 27
    line(63, 23, 63, 67),                          // 28
    set(kTextColour, kRose),                       // 29
    text(68, 29, "免费单程票"),                    // 30
    line(150, 23, 150, 45),                        // 31
    line(210, 23, 210, 45),                        // 32
    fill(151, 24, 210, 45),                        // 33
    set(kTextColour, kNavy),                       // 34
    text(155, 29, "受 赠 人"),                     // 35
    set(kTextColour, kRed),                        // 36
    text(215, 29, Source::recipient),              // 37 the nickname
    set(kTextColour, kRed),                        // 38
    text(302, 29, "（傻逼飞）"),                   // 39
    line(7, 67, 375, 67),                          // 40
    fill(8, 46, 63, 67),                           // 41
    set(kTextColour, kNavy),                       // 42
    text(12, 50, "始 发 地"),                      // 43
    set(kTextColour, kRed),                        // 44
    text(68, 50, Source::origin),                  // 45 "QQ群：" and the group number
    line(170, 45, 170, 67),                        // 46
    fill(171, 46, 228, 67),                        // 47
    set(kTextColour, kNavy),                       // 48
    text(175, 50, "目 的 地"),                     // 49
    line(228, 45, 228, 67),                        // 50
    set(kTextColour, kRed),                        // 51
    text(233, 50, "有多远滚多远"),                 // 52
    line(7, 67, 375, 67),                          // 53
    line(7, 89, 375, 89),                          // 54
    set(kBrushColour, kPaleTeal),                  // 55
    fill(9, 68, 375, 89),                          // 56 the header band begins at 9
    set(kTextColour, kNavy),                       // 57
    text(157, 72, "说      明"),                   // 58
    set(kTextColour, kRed),                        // 59
    text(12, 94, kTicketNotice),                         // 60
    text(15, 145, Source::issuer),                 // 61
    font(kFontBold, 1),                            // 62
    set(kTextColour, kNavy),                       // 63
    text(230, 145, Source::departure),             // 64
};
static_assert(sizeof kTicketSteps / sizeof kTicketSteps[0] == 64, "the ticket has 64 drawing steps");

// Texts built from parts are made for their step and released after it.
app::Text textOf(const Step& step, const char* recipientName, const char* departureTime) {
    switch (step.source) {
    case Source::fixed: return app::Text::copyOf(step.text);
    case Source::recipient: return app::Text::copyOf(recipientName);
    case Source::origin: {
        app::Text group = ui::readTextProperty(Control::groupNumberEdit, ui::kText);
        return app::Text::concat({"QQ群：", group.c_str()});
    }
    case Source::issuer: {
        app::Text group = ui::readTextProperty(Control::groupNumberEdit, ui::kText);
        return app::Text::concat({"颁发者:(", group.c_str(), ") 管理员"});
    }
    case Source::departure: return app::Text::concat({"起飞时间： ", departureTime});
    }
    return app::Text();
}

void runStep(const Step& step, const char* recipientName, const char* departureTime) {
    const Control canvas = Control::ticketCanvas;
    switch (step.kind) {
    case Kind::set: ui::writeProperty(canvas, step.number, -1, step.value); break;
    case Kind::setFont: ui::writeProperty(canvas, kFont, step.number, step.value); break;
    case Kind::fillWhole: {
        int width = ui::readProperty(canvas, ui::kWidth);
        int height = ui::readProperty(canvas, ui::kHeight);
        fillRect(canvas, 0, 0, width, height);
        break;
    }
    case Kind::fill: fillRect(canvas, step.x1, step.y1, step.x2, step.y2); break;
    case Kind::line: drawLine(canvas, step.x1, step.y1, step.x2, step.y2); break;
    case Kind::text: {
        app::Text content = textOf(step, recipientName, departureTime);
        drawText(canvas, step.x1, step.y1, content.c_str());
        break;
    }
    }
}

}  // namespace

const char kTicketNotice[] =
    "    由于您在该群随意发表违规言论(广告、谩骂等内容)....\r\n"
    "        现本人将免费赠送您单程飞机票一张\r\n"
    "            飞机即将起飞，恕不远送！";

void drawTicketLayout(const char* recipientName, const char* departureTime) {
    for (const Step& step : kTicketSteps) runStep(step, recipientName, departureTime);
}

bool drawTicket(const char* recipientName, const char* departureTime) {
    drawTicketLayout(recipientName, departureTime);
    return overlayStamp();
}

}  // namespace render
