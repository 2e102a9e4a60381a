// What a skinned window costs: ready (created, skin built, InitWindow,
// first paint) against a bare window of the same size created and painted
// once, for the main window (its download page, so that its pictures are
// drawn) and for the message box; then a full repaint of the main-window
// skin against one BitBlt of a DIB of the same size.  Each figure against
// its baseline measured in the same run.  The first window of the process
// also opens the archive and decodes its pictures: with the argument "box"
// the box comes first, so that its own first figure is measured cold.  As
// the launcher does, the process starts preparing the picture codecs on a
// worker as it starts; with the argument "unprepared" it does not, so that
// both ways can be set side by side.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/win/ScopedHandles.h"
#include "webview/BenchClock_win.h"
#include "core/Container.h"
#include "win/PictureCache_win.h"
#include "win/Shadow_win.h"
#include "win/WindowImplBase_win.h"

namespace {

struct Skin {
    const wchar_t* file;
    const char* name;
    int width;
    int height;
};
constexpr Skin kMainSkin = {L"GameLoader.xml", "main window (960x620, download page)", 960, 620};
constexpr Skin kBoxSkin = {L"CustomMsgBox.xml", "message box (440x260)", 440, 260};

class BenchSkinWindow : public WindowImplBase {
public:
    explicit BenchSkinWindow(const Skin& skin) : m_skin(skin) {}
    const wchar_t* GetWindowClassName() const override { return L"ZelkBenchSkinWindow"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_skin.file; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return 130; }
    CControlUI* CreateControl(const std::wstring&) override { return new CControlUI; }
    void InitWindow() override
    {
        // The page the launcher keeps out of view, so the pictures are drawn.
        if (auto* tab = dynamic_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"wizardTab")))
            tab->SelectItem(1);
    }

private:
    Skin m_skin;
};

LRESULT CALLBACK BareProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Milliseconds from the performance counter.
double Now() { return now() * 1000.0; }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double SkinnedReady(const Skin& skin)
{
    const double start = Now();
    // Created hidden and then shown, as the launcher's window and the bare one are.
    auto* window = new BenchSkinWindow(skin);
    window->Create(nullptr, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
    window->ShowWindow(true, false);
    UpdateWindow(window->GetHWND());
    const double elapsed = Now() - start;
    DestroyWindow(window->GetHWND());
    delete window;
    return elapsed;
}

double BareReady(const Skin& skin)
{
    const double start = Now();
    HWND window = CreateWindowExW(0, L"ZelkBenchBare", L"bare", WS_OVERLAPPEDWINDOW, 0, 0, skin.width, skin.height,
                                  nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    const double elapsed = Now() - start;
    DestroyWindow(window);
    return elapsed;
}

void Report(const Skin& skin, double first, const std::vector<double>& skinned, const std::vector<double>& plain)
{
    const double skinnedMedian = Median(skinned);
    const double plainMedian = Median(plain);
    const auto [low, high] = std::minmax_element(skinned.begin(), skinned.end());
    std::printf("%s\n", skin.name);
    std::printf("  skinned ready: first %.1f ms, then median %.1f ms (%.1f to %.1f) over %zu\n", first,
                skinnedMedian, *low, *high, skinned.size());
    std::printf("  bare window created and painted once: median %.1f ms over %zu\n", plainMedian, plain.size());
    std::printf("  ratio skinned / bare: %.2f (first window: %.2f)\n", skinnedMedian / plainMedian,
                first / plainMedian);
}

void Measure(const Skin& skin)
{
    constexpr int kRounds = 9;
    const double first = SkinnedReady(skin);
    std::vector<double> skinned, plain;
    for (int i = 0; i < kRounds; ++i) {
        skinned.push_back(SkinnedReady(skin));
        plain.push_back(BareReady(skin));
    }
    Report(skin, first, skinned, plain);
}

}  // namespace

int main(int argc, char** argv)
{
    bool boxFirst = false;
    bool prepared = true;
    for (int i = 1; i < argc; ++i) {
        boxFirst = boxFirst || std::strcmp(argv[i], "box") == 0;
        prepared = prepared && std::strcmp(argv[i], "unprepared") != 0;
    }
    if (prepared)
        PrepareDecodingInBackground();
    std::printf("picture codecs %s\n", prepared ? "prepared on a worker from the start" : "not prepared");
    CoInitialize(nullptr);
    CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
    CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    WNDCLASSW bare = {};
    bare.lpfnWndProc = BareProcedure;
    bare.hInstance = GetModuleHandleW(nullptr);
    bare.lpszClassName = L"ZelkBenchBare";
    RegisterClassW(&bare);

    Measure(boxFirst ? kBoxSkin : kMainSkin);
    Measure(boxFirst ? kMainSkin : kBoxSkin);
    if (boxFirst) {
        ReleasePictures();
        CoUninitialize();
        return 0;
    }

    auto* window = new BenchSkinWindow(kMainSkin);
    window->Create(nullptr, L"bench", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
    window->ShowWindow(true, false);
    UpdateWindow(window->GetHWND());
    HWND hwnd = window->GetHWND();

    ScopedWindowDc screen(hwnd);
    ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 960, -620, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    ScopedBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedSelectObject selected(memory.get(), dib.get());

    constexpr int kPaints = 31;
    std::vector<double> repaint, blit;
    for (int i = 0; i < kPaints; ++i) {
        double start = Now();
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        GdiFlush();
        repaint.push_back(Now() - start);
        start = Now();
        BitBlt(screen.get(), 0, 0, 960, 620, memory.get(), 0, 0, SRCCOPY);
        GdiFlush();
        blit.push_back(Now() - start);
    }
    const double repaintMedian = Median(repaint);
    const double blitMedian = Median(blit);
    std::printf("full repaint of the main skin (download page): median %.2f ms over %d\n", repaintMedian, kPaints);
    std::printf("one BitBlt of a 960x620 DIB to the window:     median %.2f ms over %d\n", blitMedian, kPaints);
    std::printf("ratio repaint / BitBlt: %.2f\n", repaintMedian / blitMedian);
    DestroyWindow(hwnd);
    delete window;
    ReleasePictures();
    CoUninitialize();
    return 0;
}
