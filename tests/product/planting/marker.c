/* A library that must never run where the block looks for its string library: its
   initialisation leaves the file planted-code-ran.txt beside it, so that a test sees when any
   of its code ran. */
#include <windows.h>

static void LeaveMark(HINSTANCE instance) {
  wchar_t path[MAX_PATH + 32];
  DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
  HANDLE file;
  if (n == 0 || n >= MAX_PATH) return;
  while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') --n;
  lstrcpyW(path + n, L"planted-code-ran.txt");
  file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) LeaveMark(instance);
  return TRUE;
}
