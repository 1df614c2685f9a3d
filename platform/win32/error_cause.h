#pragma once

#include <string>

#include "platform/win_types.h"

// The file-error cause (CFileException::Cause) for a system error code from GetLastError.
int CauseOfSystemError(DWORD error);

// UTF-8 text as the system's UTF-16; empty if the text is not valid UTF-8.
std::wstring Widen(const std::string& text);
// UTF-16 text from the system as UTF-8.
std::string Narrow(const std::wstring& text);
