#pragma once

// The system's types and constants that the front end is written with. On
// Windows they come from the system headers; elsewhere they are declared here
// with the same names and values, so the front end reads the same everywhere.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>
#else
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HDC__;
using HDC = HDC__*;

#define TRUE 1
#define FALSE 0

#define IDOK 1
#define IDCANCEL 2

#define MB_OK 0x00000000u
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONMASK 0x000000F0u

#define MF_STRING 0x00000000u
#define MF_SEPARATOR 0x00000800u

#define WM_ICONERASEBKGND 0x0027u
#define SC_MOVE 0xF010u
#define SC_MINIMIZE 0xF020u
#define SC_CLOSE 0xF060u

#define SM_CXICON 11
#define SM_CYICON 12

#define HELP_CONTEXT 0x0001u

#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_EXPLORER 0x00080000u
#define OFN_ENABLESIZING 0x00800000u

int GetSystemMetrics(int index);
#endif
