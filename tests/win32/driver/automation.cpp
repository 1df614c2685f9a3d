#include "automation.h"

#include <cstdio>

namespace automation {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(100);
// Under emulation a busy program can take this long to answer one message.
constexpr UINT kAnswerMs = 60'000;

}  // namespace

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

void Pause(std::chrono::milliseconds duration) {
    const auto deadline = Clock::now() + duration;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

void Note(const std::string& step) {
    static const auto start = Clock::now();
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
    std::printf("%4lld s  %s\n", static_cast<long long>(seconds), step.c_str());
    std::fflush(stdout);
}

std::string Describe(const std::wstring& text) {
    std::string quoted = "\"";
    quoted += Narrow(text);
    quoted += '"';
    return quoted;
}

// Programs ---------------------------------------------------------------------

Program::Program(const std::wstring& exe, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &m_info))
        throw Failure("cannot start " + Narrow(exe) + ": error " +
                      std::to_string(::GetLastError()));
}

Program::~Program() {
    if (Running()) {
        ::TerminateProcess(m_info.hProcess, 1);
        ::WaitForSingleObject(m_info.hProcess, 10'000);
    }
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

bool Program::Running() const {
    return ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(Seconds timeout) const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count();
    if (::WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0)
        throw Failure("the program still runs after " + std::to_string(timeout.count()) + " s");
    DWORD code = 0;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

// Windows ----------------------------------------------------------------------

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                               &length))
        throw Failure("a window does not answer WM_GETTEXTLENGTH");
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kAnswerMs,
                               &got))
        throw Failure("a window does not answer WM_GETTEXT");
    text.resize(got);
    return text;
}

void SetText(HWND window, const std::wstring& text) {
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kAnswerMs, &ignored))
        throw Failure("a window does not answer WM_SETTEXT");
}

void Click(HWND button) {
    if (!::PostMessageW(button, BM_CLICK, 0, 0)) throw Failure("cannot post a click");
}

HWND Item(HWND dialog, int id) {
    const HWND item = ::GetDlgItem(dialog, id);
    if (!item) throw Failure("the dialog has no control " + std::to_string(id));
    return item;
}

namespace {

struct Search {
    DWORD processId;
    const WindowQuery* query;
    HWND found = nullptr;
};

std::wstring Caption(HWND window) {
    wchar_t caption[512] = {};
    const int length = ::GetWindowTextW(window, caption, 512);
    return std::wstring(caption, static_cast<std::size_t>(length > 0 ? length : 0));
}

BOOL CALLBACK Match(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || !::IsWindowVisible(window)) return TRUE;
    const WindowQuery& query = *search.query;
    if (ClassOf(window) != query.className) return TRUE;
    if (!query.caption.empty() && Caption(window) != query.caption) return TRUE;
    if (query.owner && ::GetWindow(window, GW_OWNER) != query.owner) return TRUE;
    search.found = window;
    return FALSE;
}

std::string Name(const WindowQuery& query) {
    return "window " + Describe(query.caption) + " of class " + Narrow(query.className);
}

}  // namespace

HWND FindWindowOf(const Program& program, const WindowQuery& query) {
    return FindWindowOf(program.Id(), query);
}

HWND FindWindowOf(DWORD processId, const WindowQuery& query) {
    Search search{processId, &query};
    ::EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const Program& program, const WindowQuery& query, Seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const HWND window = FindWindowOf(program, query)) return window;
        if (!program.Running())
            throw Failure("the program ended while waiting for the " + Name(query));
        if (Clock::now() > deadline)
            throw Failure("no " + Name(query) + " after " + std::to_string(timeout.count()) + " s");
        Pause(kPoll);
    }
}

void WaitUntilGone(HWND window, Seconds timeout, const std::string& what) {
    const auto deadline = Clock::now() + timeout;
    while (::IsWindow(window) && ::IsWindowVisible(window)) {
        if (Clock::now() > deadline)
            throw Failure(what + " is still there after " + std::to_string(timeout.count()) + " s");
        Pause(kPoll);
    }
}

// Controls ---------------------------------------------------------------------

namespace {

BOOL CALLBACK Collect(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool IsIconControl(HWND control) {
    return (::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

}  // namespace

std::vector<std::wstring> StaticTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (const HWND child : Children(dialog))
        if (ClassOf(child) == L"Static" && !IsIconControl(child)) texts.push_back(TextOf(child));
    return texts;
}

HWND ShownIcon(HWND messageBox) {
    for (const HWND child : Children(messageBox)) {
        if (ClassOf(child) != L"Static" || !IsIconControl(child) || !::IsWindowVisible(child))
            continue;
        DWORD_PTR icon = 0;
        ::SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &icon);
        if (icon) return child;
    }
    return nullptr;
}

int RedPixels(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return 0;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    int red = 0;
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; pixels && i < width * height; ++i) {
        const unsigned r = pixels[i] >> 16 & 0xFF, g = pixels[i] >> 8 & 0xFF, b = pixels[i] & 0xFF;
        if (r >= 160 && g <= 90 && b <= 90) ++red;
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return red;
}

}  // namespace automation
