// OVConfig (Windows): reads the product settings from the registry.
#pragma once

#include "product/OVConfig.h"

// Registry location of the product settings, below HKEY_CURRENT_USER.
constexpr const char kProductKey[] = "Software\\Brenfold\\Orvado 98";
constexpr const char kSettingsSection[] = "General Settings";

// The settings as the registry holds them now. Creates the empty product key when it is
// missing (the only change ever made to the registry); every value that is missing, not a
// string or no number where a number is needed gives its default.
TOVOptions ReadOptionsFromRegistry();

// Fills ProductOptions from the registry; the library's load step calls it once.
void ReadProductOptions();
