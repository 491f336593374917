#pragma once

#include "ConversionRequest.h"
#include "DialogHost.h"
#include "StyleSettings.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class AssRenderer;
class PreviewEntries;
class PreviewFrame;
class QLabel;
class QPushButton;
class QSlider;
class QTemporaryFile;
class QTimer;
struct PreviewEntry;

/// The window's values as a run would take them when Convert is pressed now.
struct PreviewSettings {
    varnuth::ConversionRequest request;
    varnuth::StyleSettings style;
};

/// A window beside the main one that shows the script the chosen format would write, one source entry at a time,
/// drawn by libass over a video frame, and follows every change of the style values.
class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    /// \p settings is asked for the window's values at each update; \p dialogs picks a background image.
    PreviewWindow(std::function<PreviewSettings()> settings, varnuth::DialogHost& dialogs,
                  QWidget* parent = nullptr);
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;
    ~PreviewWindow() override;

    /// Shows the entries of the SubRip file \p sourceName, or a sample text when it is empty.
    void setSourceName(const QString& sourceName);

    /// Writes and draws the script again shortly, once for a burst of changes.
    void scheduleUpdate();

    /// Writes and draws the script at once, if the preview is shown.
    void updateNow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void connectActions();
    void loadRenderer();
    void showEntry(int index);
    void showPrevious();
    void showNext();
    void chooseBackground();
    [[nodiscard]] std::string writeScript(const PreviewSettings& settings);
    void describe(const PreviewSettings& settings);

    std::function<PreviewSettings()> settings_;
    varnuth::DialogHost& dialogs_;
    std::unique_ptr<AssRenderer> renderer_;
    bool rendererTried_ = false;
    std::unique_ptr<PreviewEntries> entries_;
    std::unique_ptr<PreviewEntry> entry_;
    std::unique_ptr<QTemporaryFile> entryFile_;
    std::string sourceEncoding_; // what a UTF-8 script decodes the source from; empty for UTF-8 and UTF-16
    QString sourceProblem_;

    PreviewFrame* frame_ = nullptr;
    QLabel* entryLabel_ = nullptr;
    QLabel* formatNote_ = nullptr;
    QLabel* fontNote_ = nullptr;
    QLabel* problemNote_ = nullptr;
    QPushButton* previousButton_ = nullptr;
    QSlider* entrySlider_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* backgroundButton_ = nullptr;
    QTimer* updateTimer_ = nullptr;
};
