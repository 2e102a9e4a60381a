// Stand-in for the platform client.  Shows a top-level window titled
// "Korvane" (or the title given as its second argument) and appends one
// line per message of interest to the file named by its first argument
// (a third argument "hang" makes it stop answering after recording the
// first WM_COPYDATA, as a hung platform client would; "busy" makes it
// answer that first one only after 4.5 s, as a client busy with something
// else answers late).  It paints its name, so that a screenshot shows
// which window it is:
//
//     copydata <dwData> <cbData> <hex of the data block>
//     message <number> <wParam> <lParam>       (1348 and 0x543)
//
// Each line is written and the file closed before the message returns, so
// a test may read it as soon as the sender's call is back.  WM_CLOSE ends it.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring g_recordPath;
std::wstring g_title = L"Korvane";
bool g_hang = false;
bool g_busy = false;
bool g_answeredOnce = false;

void PaintName(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontW(28, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x20, 0x40, 0x80));
    DrawTextW(dc, g_title.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

void Append(const std::string& line)
{
    if (g_recordPath.empty())
        return;
    HANDLE file = CreateFileW(g_recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char text[64];
    switch (message) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::snprintf(text, sizeof text, "copydata %lu %lu ", static_cast<unsigned long>(data->dwData),
                      static_cast<unsigned long>(data->cbData));
        std::string line = text;
        const auto* bytes = static_cast<const unsigned char*>(data->lpData);
        for (DWORD i = 0; bytes && i < data->cbData; ++i) {
            std::snprintf(text, sizeof text, "%02x", bytes[i]);
            line += text;
        }
        Append(line + "\n");
        if (g_hang)
            Sleep(60000);
        if (g_busy && !g_answeredOnce)
            Sleep(4500);
        g_answeredOnce = true;
        return TRUE;
    }
    case WM_USER + 324:  // the launcher is up
    case WM_USER + 323:  // the game could not be started
        std::snprintf(text, sizeof text, "message %u %lu %ld\n", message, static_cast<unsigned long>(wParam),
                      static_cast<long>(lParam));
        Append(text);
        return 0;
    case WM_PAINT:
        PaintName(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        if (count > 1)
            g_recordPath = arguments[1];
        if (count > 2)
            g_title = arguments[2];
        if (count > 3) {
            g_hang = lstrcmpW(arguments[3], L"hang") == 0;
            g_busy = lstrcmpW(arguments[3], L"busy") == 0;
        }
        LocalFree(arguments);
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"KorvaneStandIn";
    if (!RegisterClassW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, g_title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                  300, 200, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
