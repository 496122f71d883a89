#include "ui/win32/win_fonts.h"

#include <initializer_list>

namespace kx71 {
namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool HasFace(HDC dc, const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExW(dc, &lf, &FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

HFONT Make(const wchar_t* face, int pixels, bool bold, BYTE charset) {
  // A negative height asks for the character height, as a pixel size does elsewhere.
  return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

const std::wstring& UiFaceName() {
  static const std::wstring face = [] {
    HDC dc = GetDC(nullptr);
    std::wstring chosen = L"ＭＳ Ｐゴシック";
    // The named face first (Japanese Windows, or a Wine prefix that maps it), then its Latin name,
    // then gothics that other systems carry.
    for (const wchar_t* candidate :
         {L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI", L"IPAPGothic"}) {
      if (HasFace(dc, candidate)) {
        chosen = candidate;
        break;
      }
    }
    ReleaseDC(nullptr, dc);
    return chosen;
  }();
  return face;
}

HFONT MakeUiFont(int pixels, bool bold) { return Make(UiFaceName().c_str(), pixels, bold, SHIFTJIS_CHARSET); }

HFONT MakeSystemFont(int pixels, bool bold) { return Make(L"System", pixels, bold, DEFAULT_CHARSET); }

}  // namespace kx71
