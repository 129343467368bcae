#pragma once
// Resource ids of the main window: its template, menu and accelerators, the open dialog's preview
// templates, the artwork, and the controls.

#define IDD_MAIN 102
#define IDR_MAIN 126  // menu, accelerator table and application icon
#define IDI_IMAGE_IMG 129
#define IDI_IMAGE_IMZ 130
#define IDI_IMAGE_EXE 149
#define IDB_READ_PICTURE 133
#define IDB_WRITE_PICTURE 134
#define IDW_SUCCESS_SOUND 138
#define IDD_OPEN_PREVIEW_WIDE 140
#define IDD_OPEN_PREVIEW_NARROW 141

// The read half.
#define IDC_READ_GROUP 1111
#define IDC_TARGET_PATH 1000
#define IDC_CHOOSE_TARGET 1002
#define IDC_TARGET_DESCRIPTION 1036
#define IDC_READ_START 1008
#define IDC_EMERGENCY_INDICATOR 1095
#define IDC_COMPATIBLE_INDICATOR 1098

// The write half.
#define IDC_WRITE_GROUP 1109
#define IDC_SOURCE_PATH 1010
#define IDC_CHOOSE_SOURCE 1013
#define IDC_SOURCE_DESCRIPTION 1035
#define IDC_WRITE_START 1017
#define IDC_CONVERT 1021
#define IDC_INTEGRITY 1019

// The information panel.
#define IDC_INFO_GROUP 1100
#define IDC_GEOMETRY_LABEL 1101
#define IDC_CHECKSUM_LABEL 1102
#define IDC_FREE_SPACE_LABEL 1103
#define IDC_TOTAL_SIZE_LABEL 1104
#define IDC_FORM_ICON 1112
#define IDC_GEOMETRY 1077
#define IDC_CHECKSUM 1083
#define IDC_FREE_SPACE 1086
#define IDC_TOTAL_SIZE 1089
#define IDC_SHOW_FILES 1401  // the files on the image's disk (advanced mode)

// The open dialog's description preview.
#define IDC_PREVIEW_LABEL 1055
#define IDC_PREVIEW_TEXT 1054

// Menu commands.
#define ID_NEW_IMAGE 32783
#define ID_CHANGE_DESCRIPTION 32777
#define ID_CONVERT_IMAGE 32778
#define ID_CHECK_INTEGRITY 32782
#define ID_APP_EXIT 57665
#define ID_SELF_EXE_SETTINGS 32779
#define ID_SETTINGS 32774
#define ID_COMMAND_LINE_HELP 32775
#define ID_FEEDBACK 32772
#define ID_NEWS 32773
#define ID_CHECK_UPDATES 32771
#define ID_APP_ABOUT 57664
