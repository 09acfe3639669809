#include "product/OVConfig_win.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "graphic/WinHandles_win.h"

namespace {

// The text of a string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) of an open key.
// Values of any other type count as missing: the product writes nothing but strings.
std::optional<std::string> QueryStringValue(HKEY key, const char* name) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // One byte more than asked for: a value stored without its terminating zero still ends.
    std::vector<char> buffer(size + 1, '\0');
    DWORD read = size;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &read);
    if (rc == ERROR_MORE_DATA) continue;  // the value grew in between: ask again
    if (rc != ERROR_SUCCESS) return std::nullopt;
    buffer[read < buffer.size() ? read : size] = '\0';
    return std::string(buffer.data());
  }
  return std::nullopt;
}

// One value of the settings section. The section is opened for every value by itself, as
// the product has always done; it is never created.
std::optional<std::string> ReadSectionValue(HKEY productKey, const char* name) {
  if (!productKey) return std::nullopt;
  HKEY raw = nullptr;
  if (RegOpenKeyExA(productKey, kSettingsSection, 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS)
    return std::nullopt;
  win::TUniqueKey section(raw);
  return QueryStringValue(section.get(), name);
}

}  // namespace

TOVOptions ReadOptionsFromRegistry() {
  HKEY raw = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &raw, &disposition) != ERROR_SUCCESS)
    raw = nullptr;
  win::TUniqueKey productKey(raw);
  return OptionsFromLookup(
      [&](const char* name) { return ReadSectionValue(productKey.get(), name); });
}

void ReadProductOptions() { ProductOptions = ReadOptionsFromRegistry(); }
