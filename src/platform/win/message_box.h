#pragma once
// The engine's message boxes: centred in the work area, task-modal, with the
// engine's style flags, captioned with the application name.

#include <windows.h>

#include <string>

namespace cv {

// Flags every box adds to its own (the engine sets MB_SETFOREGROUND at start).
void SetMessageBoxStyle(UINT style);
UINT MessageBoxStyle();

// Caption of ShowError and ShowWarning; empty gives "Error" or "Warning".
void SetApplicationName(const std::string& name);
const std::string& ApplicationName();

// Window whose last active pop-up owns ShowError and ShowWarning boxes (the
// hidden main window).
void SetMessageBoxOwner(HWND owner);

// How ShowErrorBox finds its owner: the window the wizard plug-ins report as
// active. Until a query is installed, the hidden main window is the owner.
using ActiveWindowQuery = HWND (*)();
void SetActiveWindowQuery(ActiveWindowQuery query);
// The owner of the engine's boxes: the window the query reports, else the
// window set with SetMessageBoxOwner.
HWND ActiveWindowOwner();

// Shows a box with flags | MB_TASKMODAL | the engine's style; a thread-local
// CBT hook centres it when it is about to be activated. Answers the box's
// result.
int ShowMessageBox(HWND owner, const std::string& caption, const std::string& text, UINT flags);

void ShowError(const std::string& text);
void ShowWarning(const std::string& text);
void ShowErrorBox(const std::string& caption, const std::string& text);

}  // namespace cv
