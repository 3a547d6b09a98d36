// A small Windows program for the process tests: its command line picks one path of the system to
// take in a real process (a refused allocation, a failed binding, an operation on a gone window...).
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/fatal.h"
#include "app/lifecycle.h"
#include "app/memory.h"
#include "app/outside.h"
#include "app/skin.h"
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {

bool openAndClose() {
    if (!ui::loadWindowDescription()) return false;
    render::registerCanvasClass();
    if (!ui::openWindow(ui::EventHandlers())) return false;
    DestroyWindow(ui::mainWindow());
    return true;
}

bool gTicketStopped = false;
void drawTicketOnClick() { gTicketStopped = !render::drawTicket("nick", "12:00"); }

// A click on "生成" whose ticket is still being drawn when the close request comes in.
bool closeDuringOverlay() {
    if (!ui::loadWindowDescription()) return false;
    render::registerCanvasClass();
    ui::EventHandlers handlers;
    handlers.onGenerateClicked = drawTicketOnClick;
    if (!ui::openWindow(handlers)) return false;
    ui::writeTextProperty(ui::Control::groupNumberEdit, ui::kText, -1, "12345678");
    ui::writeTextProperty(ui::Control::nicknameEdit, ui::kText, -1, "nick");
    ui::writeTextProperty(ui::Control::timeEdit, ui::kText, -1, "12:00");
    PostMessageA(ui::controlWindow(ui::Control::generateButton), BM_CLICK, 0, 0);
    PostMessageA(ui::mainWindow(), WM_CLOSE, 0, 0);
    app::runEventLoop();
    return gTicketStopped;  // the click did reach the ticket, and the close stopped it
}

// Whether a busy block of the process heap covers the address.
bool heapBlockBusy(const void* address) {
    HANDLE heap = GetProcessHeap();
    bool busy = false;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (!busy && HeapWalk(heap, &entry)) {
        const char* start = static_cast<const char*>(entry.lpData);
        busy = (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && start <= address && address < start + entry.cbData;
    }
    HeapUnlock(heap);
    return busy;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    app::prepareProcess();
    const char* mode = commandLine;
    if (strcmp(mode, "alloc") == 0) {
        app::heapAllocate(static_cast<size_t>(-4096));
    } else if (strcmp(mode, "alloc-1000") == 0) {
        // The report of a refused request, as the heap would give it for 1000 bytes.
        app::fatalStopAllocation(1000);
    } else if (strcmp(mode, "bind-skin") == 0) {
        app::callOutside(app::Outside::SkinH_AttachRes, {0, 0, reinterpret_cast<uintptr_t>(""), 0, 0, 0});
    } else if (strcmp(mode, "attach-skin") == 0) {
        app::attachSkin(app::kProgramSkin);
    } else if (strncmp(mode, "attach ", 7) == 0) {
        app::attachSkin(atoi(mode + 7));
    } else if (strcmp(mode, "attach-released") == 0) {
        // The walk must see a held block as busy and a released one as not, or it proves nothing.
        void* held = app::heapAllocate(26370);
        bool heldSeen = heapBlockBusy(held);
        app::heapRelease(held);
        if (!heldSeen || heapBlockBusy(held)) return 3;
        app::attachSkin(app::kProgramSkin);
        // The engine here is the recorder, which keeps the address it was handed.
        using Recorded = const unsigned char*(WINAPI*)();
        auto recorded = reinterpret_cast<Recorded>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("SkinH_EL.dll"), "RecordedAddress")));
        if (!recorded || !recorded()) return 4;
        if (heapBlockBusy(recorded())) return 1;
    } else if (strcmp(mode, "canvas-after-close") == 0) {
        if (openAndClose()) render::fillRect(ui::Control::ticketCanvas, 0, 0, 1, 1);
    } else if (strcmp(mode, "property-after-close") == 0) {
        if (openAndClose()) {
            // Properties below 8 of a gone control only keep their value.
            ui::writeProperty(ui::Control::stampCanvas, ui::kVisible, -1, 1);
            if (ui::readProperty(ui::Control::stampCanvas, ui::kLeft) != 299) return 3;
            ui::writeTextProperty(ui::Control::nicknameEdit, ui::kText, -1, "");
        }
    } else if (strcmp(mode, "canvas-property-after-close") == 0) {
        if (openAndClose()) ui::writeProperty(ui::Control::ticketCanvas, 18, -1, 1);
    } else if (strncmp(mode, "where ", 6) == 0) {
        // Where the running program's client area starts on the screen, for drivers that click.
        HWND window = FindWindowA(ui::kMainWindowClass, nullptr);
        POINT origin = {0, 0};
        if (!window || !ClientToScreen(window, &origin)) return 5;
        char line[64];
        int length = wsprintfA(line, "%ld %ld\n", origin.x, origin.y);
        HANDLE file = CreateFileA(mode + 6, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, line, length, &written, nullptr);
        CloseHandle(file);
        return 0;
    } else if (strcmp(mode, "hold-clipboard") == 0) {
        // Another program that holds the clipboard open until told to let go.
        HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, "TandrelClipboardHeld");
        HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "TandrelClipboardRelease");
        if (!held || !release || !OpenClipboard(nullptr)) return 4;
        SetEvent(held);
        WaitForSingleObject(release, 20000);
        CloseClipboard();
        return 0;
    } else if (strcmp(mode, "close-during-overlay") == 0) {
        if (!closeDuringOverlay()) return 4;
    } else {
        return 2;
    }
    app::shutDown();
    return 0;
}
