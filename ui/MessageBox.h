#pragma once

#include <QDialog>

#include <memory>
#include <string>

/// A box for \p text captioned "Varnuth" with no icon and one OK button, modal over \p parent. A text of more lines
/// than a screen holds keeps its first paragraph above the rest, which scrolls.
[[nodiscard]] std::unique_ptr<QDialog> MakeMessageBox(QWidget* parent, const std::string& text);

/// Shows the box MakeMessageBox makes and returns when it has been dismissed.
void ShowMessageBox(QWidget* parent, const std::string& text);
