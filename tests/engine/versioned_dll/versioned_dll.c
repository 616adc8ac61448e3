/*
 * A library that is nothing but its version resource, built once for every
 * version the file-copy tests install over each other, and a COM server
 * whose self-registration writes a value of its own.
 */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}

#ifdef CV_COM_SERVER
static const char kKey[] = "Software\\CorvaneTest\\ComServer";

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
  HKEY key;
  DWORD one = 1;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != 0) {
    return E_FAIL;
  }
  RegSetValueExA(key, "Registered", 0, REG_DWORD, (const BYTE*)&one, sizeof one);
  RegCloseKey(key);
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
  if (RegDeleteKeyA(HKEY_CURRENT_USER, kKey) != 0) return E_FAIL;
  /* The parent goes too when nothing else is below it (it is refused then). */
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTest");
  return S_OK;
}
#endif
