#pragma once

#include <string>

/// Shows \p text in a modal box captioned "Varnuth" with no icon and one OK button.
void ShowMessageBox(const std::string& text);
