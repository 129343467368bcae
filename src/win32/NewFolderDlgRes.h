#pragma once
#define IDD_NEW_FOLDER 162
#define IDC_NEW_FOLDER_NAME 1432
