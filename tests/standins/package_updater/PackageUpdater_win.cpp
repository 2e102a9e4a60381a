// Stand-in for the package updater.  Finds the launcher's window by its
// title "Zelkmar" (held as ANSI text and widened with the system's code
// page, as the launcher does) and posts the package messages in the order
// of its arguments: a word names the message, the numbers after it are
// posted with it as wParam, one message each:
//
//     package_updater.exe download 0 progress 0 60 100 unpack 0
//
//     download  1135 (WM_DOWNLOAD_RESULT)  0: the download succeeded
//     progress  1136 (WM_UNPACK_PROGRESS)  percentage
//     unpack    1134 (WM_UNPACK_DONE)      0: the unpack succeeded
//
// It waits up to ten seconds for the window.  Exit code 0 when every
// message was posted, 1 when no window was found, 2 on a bad argument,
// 3 when a post failed.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

const char* const kLauncherTitleAnsi = "Zelkmar";

struct Post {
    UINT message;
    WPARAM wParam;
};

UINT MessageNamed(const std::wstring& word)
{
    if (word == L"download")
        return WM_USER + 111;
    if (word == L"progress")
        return WM_USER + 112;
    if (word == L"unpack")
        return WM_USER + 110;
    return 0;
}

bool ReadPosts(int count, LPWSTR* arguments, std::vector<Post>& posts)
{
    UINT message = 0;
    for (int i = 1; i < count; ++i) {
        if (const UINT named = MessageNamed(arguments[i])) {
            message = named;
            continue;
        }
        wchar_t* end = nullptr;
        const unsigned long value = std::wcstoul(arguments[i], &end, 10);
        if (message == 0 || end == arguments[i] || *end != L'\0')
            return false;
        posts.push_back({message, static_cast<WPARAM>(value)});
    }
    return true;
}

std::wstring LauncherTitle()
{
    wchar_t wide[64] = {};
    MultiByteToWideChar(CP_ACP, 0, kLauncherTitleAnsi, -1, wide, 64);
    return wide;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr)
        return 2;
    std::vector<Post> posts;
    const bool read = ReadPosts(count, arguments, posts);
    LocalFree(arguments);
    if (!read)
        return 2;

    const std::wstring title = LauncherTitle();
    HWND launcher = nullptr;
    for (int tries = 0; tries < 100 && launcher == nullptr; ++tries) {
        launcher = FindWindowW(nullptr, title.c_str());
        if (launcher == nullptr)
            Sleep(100);
    }
    if (launcher == nullptr)
        return 1;
    for (const Post& post : posts) {
        if (!PostMessageW(launcher, post.message, post.wParam, 0))
            return 3;
    }
    return 0;
}
