#pragma once

#include <string>

class QWidget;

/// Shows \p text in a box captioned "Varnuth" with no icon and one OK button, modal over \p parent.
void ShowMessageBox(QWidget* parent, const std::string& text);
