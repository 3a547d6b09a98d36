// Times drawTicket on the real window against the pixel-by-pixel stamp copy it replaces, and checks
// that both give the same picture.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/lifecycle.h"
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {
using ui::Control;

constexpr int kRuns = 50;
const char* const kNickname = "nick";
const char* const kTime = "2024-05-06 07:08";

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void pump(int milliseconds) {
    double end = now() + milliseconds;
    while (now() < end) {
        render::processPendingEvents();
        Sleep(5);
    }
}

// Every stamp pixel read from the screen and written with its own device contexts, the place of
// stampCanvas read again for each one.
void overlayPixelByPixel() {
    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 1);
    for (int i = 1; i <= 79; ++i) {
        render::processPendingEvents();
        for (int j = 1; j <= 79; ++j) {
            uint32_t colour = render::readPixel(Control::stampCanvas, i, j);
            if (colour == 0xFFFFFF) continue;
            int left = ui::readProperty(Control::stampCanvas, ui::kLeft);
            int top = ui::readProperty(Control::stampCanvas, ui::kTop);
            render::drawPixel(Control::ticketCanvas, left + i, top + j, colour);
        }
    }
    ui::writeProperty(Control::stampCanvas, ui::kVisible, -1, 0);
}

struct Spread {
    double median, min, max, p10, p90;
};

Spread spreadOf(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    auto rank = [&](double q) { return times[static_cast<size_t>(q * (times.size() - 1) + 0.5)]; };
    size_t n = times.size();
    double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    return {median, times.front(), times.back(), rank(0.1), rank(0.9)};
}

void print(const char* name, const Spread& s) {
    printf("%-34s median %8.2f ms  min %8.2f  p10 %8.2f  p90 %8.2f  max %8.2f\n", name, s.median, s.min, s.p10,
           s.p90, s.max);
}

bool samePicture(const app::HeapBlock& a, const app::HeapBlock& b) {
    return a.size() > 0 && a.size() == b.size() && memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

int main() {
    app::prepareProcess();
    if (!ui::loadWindowDescription() || !render::registerCanvasClass() || !ui::openWindow(ui::EventHandlers())) {
        fprintf(stderr, "could not open the window\n");
        return 1;
    }
    SetForegroundWindow(ui::mainWindow());
    pump(300);
    ui::writeTextProperty(Control::groupNumberEdit, ui::kText, -1, "12345678");

    std::vector<double> whole, layout, overlay, pixelWhole, pixelOverlay;
    app::HeapBlock batched, perPixel;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = now();
        render::drawTicket(kNickname, kTime);
        whole.push_back(now() - t0);
        if (run == 0) batched = render::takePicture(Control::ticketCanvas);

        double t1 = now();
        render::drawTicketLayout(kNickname, kTime);
        double t2 = now();
        render::overlayStamp();
        double t3 = now();
        layout.push_back(t2 - t1);
        overlay.push_back(t3 - t2);

        double t4 = now();
        render::drawTicketLayout(kNickname, kTime);
        double t5 = now();
        overlayPixelByPixel();
        double t6 = now();
        pixelWhole.push_back(t6 - t4);
        pixelOverlay.push_back(t6 - t5);
        if (run == 0) perPixel = render::takePicture(Control::ticketCanvas);
    }

    printf("%d runs each, window on the screen\n", kRuns);
    Spread drawTicket = spreadOf(whole);
    Spread pixelRoute = spreadOf(pixelWhole);
    print("drawTicket", drawTicket);
    print("  its drawing sequence", spreadOf(layout));
    print("  its stamp overlay", spreadOf(overlay));
    print("pixel-by-pixel route (whole)", pixelRoute);
    print("  its stamp overlay alone", spreadOf(pixelOverlay));
    printf("speed-up of drawTicket over the pixel route (medians): %.1fx\n", pixelRoute.median / drawTicket.median);
    bool same = samePicture(batched, perPixel);
    printf("pictures of both routes are %s\n", same ? "byte-identical" : "DIFFERENT");
    DestroyWindow(ui::mainWindow());
    app::shutDown();
    return same ? 0 : 3;
}
