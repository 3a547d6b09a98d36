// Application shell: the program entry, which wires the subsystems together and runs start-up.
#include <windows.h>

#include "app/fatal.h"
#include "app/lifecycle.h"
#include "app/skin.h"
#include "command/generate.h"
#include "render/canvas.h"
#include "ui/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    app::prepareProcess();
    if (!ui::loadWindowDescription()) app::fatalStop("载入窗口模板数据段出错!", 0);
    render::registerCanvasClass();
    ui::EventHandlers handlers;
    handlers.onMainWindowCreated = app::onMainWindowCreated;
    handlers.onGenerateClicked = command::onGenerateClicked;
    handlers.onTicketCanvasMouseMove = ui::onTicketCanvasMouseMove;
    ui::openWindow(handlers);
    app::runEventLoop();
    return app::shutDown();
}
