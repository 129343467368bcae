#pragma once
#define IDD_COMMAND_LINE_HELP 135
#define IDC_HELP_USAGE_GROUP 1199
// The help lines, in the order of CommandLineHelpLines(): usage, eleven switches, the paragraph on forms.
#define IDC_HELP_FIRST_LINE 1200
#define IDC_HELP_LINE_COUNT 13
