#include "MainWindow.h"

#include "WindowsFiles.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The files named on the command line ("Open with", a shortcut, a drop on the program), by their full names.
std::vector<std::string> NamedFiles()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> names;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        std::wstring fullName(GetFullPathNameW(arguments[i], 0, nullptr, nullptr), L'\0');
        fullName.resize(GetFullPathNameW(arguments[i], static_cast<DWORD>(fullName.size()), fullName.data(), nullptr));
        names.push_back(varnuth::Utf8Text(fullName.empty() ? std::wstring(arguments[i]) : fullName));
    }
    LocalFree(arguments);
    return names;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, wchar_t* /*commandLine*/, int showCommand)
{
    // The file and folder dialogs and the accessibility annotations are COM objects of this thread.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
        return 1;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    int status = 0;
    {
        varnuth::win32::MainWindow window(instance);
        if (const std::vector<std::string> names = NamedFiles(); !names.empty()) {
            window.TakeSources(names);
        }
        window.Show(showCommand);
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!window.IsNavigation(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        status = static_cast<int>(message.wParam);
    }
    CoUninitialize();
    return status;
}
