// Resource ids, shared by the resource script and the program.
#pragma once

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KORVANE_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_INPUT 1000
#define IDC_OUTPUT 1001

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
