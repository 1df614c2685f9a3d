// Resource ids of the backend tests' own dialog and strings.
#pragma once

#define IDD_TEST 200
#define IDC_TEXT 1100
#define IDS_GREETING 300
#define IDR_TEST_ICON 400
