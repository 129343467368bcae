#pragma once
// Templates that exist only in the ui tests. Controls whose ids have string-table texts (57711, 57668,
// 57698, 57699) get tooltips; 1500, 1501 and the group box have none.
#define IDD_TEST_CONTROLS 9001
#define IDD_TEST_PAGE_ONE 9011
#define IDD_TEST_PAGE_TWO 9012

#define IDC_TEST_BUTTON 57711
#define IDC_TEST_COMBO 57668
#define IDC_TEST_NOTIFY_STATIC 57698
#define IDC_TEST_DISABLED_STATIC 57699
#define IDC_TEST_EDIT 1500
#define IDC_TEST_GROUP 1501
#define IDC_TEST_LIST 1600
