// CVEngine: the setup engine program. Everything happens in EngineMain.

#include <windows.h>

#include "engine/win/engine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return cv::EngineMain(); }
