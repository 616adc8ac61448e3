#pragma once
// Resource names and control ids of the engine program, shared by its
// resource script and its code.

#define CV_IDC_PRESETUP_ICON 100
#define CV_IDC_PRESETUP_PROGRESS 101
#define CV_IDC_PRESETUP_TEXT 102
