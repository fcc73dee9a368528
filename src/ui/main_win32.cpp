// The main window's program. Until the window exists it only says what it is.
#include <windows.h>

#include <string>

#include "text/encoding.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::u16string text = lingqiao::GbkToUtf16("墨茴灵桥：主窗口尚未完成。");
  const std::u16string title = lingqiao::GbkToUtf16("信息：");
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()),
              reinterpret_cast<const wchar_t*>(title.c_str()), MB_OK);
  return 0;
}
