// CFileDialog on the system's Open and Save As pickers.
#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"

namespace {

// The system's longest path: a longer choice fails the picker instead of being cut.
constexpr std::size_t kFileBufferLength = MAX_PATH;

// The pickers take their filters as "name\0pattern\0" pairs ended by one more \0.
std::wstring FilterList(const std::vector<CFileDialog::Filter>& filters) {
    std::wstring list;
    for (const CFileDialog::Filter& filter : filters) {
        list += Widen(filter.name);
        list += L'\0';
        list += Widen(filter.pattern);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

}  // namespace

INT_PTR CFileDialog::DoModal() {
    const std::vector<Filter> filters = GetFilters();
    const std::wstring filterList = FilterList(filters);
    const std::wstring defaultExtension = Widen(m_strDefExt);

    std::wstring file = Widen(m_strInitialName);
    file.resize(kFileBufferLength, L'\0');
    file.back() = L'\0';

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = HwndOf(m_pParentWnd);
    ofn.lpstrFilter = filters.empty() ? nullptr : filterList.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = nullptr;
    ofn.lpstrTitle = nullptr;
    ofn.Flags = m_dwFlags;
    ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();

    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (!chosen) return IDCANCEL;
    m_strPathName = Narrow(file.c_str());
    return IDOK;
}
