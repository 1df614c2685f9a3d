// The program's entry point (linked with -municode): the framework starts from
// the executable's full path, which names the application and its help file.
#include <string>

#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"

namespace {

std::wstring ModulePath() {
    // Paths may be longer than MAX_PATH: grow until the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return AfxWinMain(Narrow(ModulePath()));
}
