#include "engine/win/windows_languages.h"

#include <windows.h>

#include <cstdlib>

#include "platform/system_info.h"

namespace cv {

namespace {

std::vector<LCID>* gLocales = nullptr;

BOOL CALLBACK CollectLocale(LPSTR text) {
  if (gLocales && text) gLocales->push_back(static_cast<LCID>(std::strtoul(text, nullptr, 16)));
  return TRUE;
}

std::string LocaleTextA(LCID locale, LCTYPE type) {
  char buffer[256] = {};
  const int length = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
  return length > 0 ? std::string(buffer) : std::string();
}

std::string LocaleTextW(LCID locale, LCTYPE type) {
  wchar_t wide[256] = {};
  if (GetLocaleInfoW(locale, type, wide, 256) <= 0) return {};
  char narrow[512] = {};
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr) <= 0) {
    return {};
  }
  return narrow;
}

}  // namespace

std::vector<unsigned long> InstalledLocales() {
  // Enumerated once per run: the installed locales do not change meanwhile,
  // and the language charsets and names each need the whole list.
  static const std::vector<unsigned long> installed = [] {
    std::vector<LCID> locales;
    gLocales = &locales;
    EnumSystemLocalesA(CollectLocale, LCID_INSTALLED);
    gLocales = nullptr;
    return std::vector<unsigned long>(locales.begin(), locales.end());
  }();
  return installed;
}

std::vector<WindowsLanguage> InstalledWindowsLanguages() {
  const std::vector<unsigned long> locales = InstalledLocales();

  const bool unicode = SystemInfo().IsNT();
  std::vector<WindowsLanguage> languages;
  for (LCID locale : locales) {
    WindowsLanguage language;
    language.Abbreviation = LocaleTextA(locale, LOCALE_SABBREVLANGNAME);
    if (language.Abbreviation.empty()) continue;
    language.Name =
        unicode ? LocaleTextW(locale, LOCALE_SLANGUAGE) : LocaleTextA(locale, LOCALE_SLANGUAGE);
    languages.push_back(std::move(language));
  }
  return languages;
}

}  // namespace cv
