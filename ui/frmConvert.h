#pragma once

#include "CommonDialog.h"

#include "ConversionRun.h"
#include "StyleSettings.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ColourSwatch;
class FileNameBox;
class PreviewWindow;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QThread;
class QTimer;

/// Called on a run's own thread after each buffer of the source it reads; a test slows a run down with it.
using RunProgressHook = std::function<void(std::uint64_t bytesRead)>;

/// The one window: two file names, the SSA style values, the output format, Convert and Close.
class frmConvert final : public QWidget {
    Q_OBJECT

public:
    /// \p dialogs serves every dialog of the window; \p showMessage shows the end of each conversion.
    frmConvert(std::unique_ptr<DialogHost> dialogs, varnuth::ShowMessage showMessage,
               RunProgressHook onRunProgress = {}, QWidget* parent = nullptr);
    frmConvert(const frmConvert&) = delete;
    frmConvert& operator=(const frmConvert&) = delete;
    /// Cancels a run still going and waits for its thread.
    ~frmConvert() override;

    [[nodiscard]] const varnuth::StyleSettings& styleSettings() const { return style_; }

    /// Takes files handed over by the desktop ("Open with", the command line) as sources, as a drop does.
    void openSources(const QStringList& fileNames);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Run;

    void createControls();
    void createFormatOptions();
    void connectActions();
    void loadDefaults();
    void showFontSettings();

    void takeDroppedTargets(const QStringList& fileNames);
    void chooseSource();
    void chooseTarget();
    void chooseTargetFolder();
    void chooseFont();
    void chooseColour(varnuth::SettingValue& setting, ColourSwatch* swatch);
    void applyFormat(int index);
    void openPreview();
    void updatePreview();
    void convert();
    [[nodiscard]] bool namesAreGiven();
    [[nodiscard]] bool mayReplaceTarget();
    void showProgress();
    void finishRun();
    [[nodiscard]] varnuth::ConversionRequest gatherRequest();
    [[nodiscard]] std::optional<std::vector<varnuth::ConversionRequest>> gatherRequests();
    [[nodiscard]] bool mayReplaceTargets(const std::vector<varnuth::ConversionRequest>& requests);

    varnuth::StyleSettings style_;
    CommonDialog dialogs_;
    varnuth::ShowMessage showMessage_;
    RunProgressHook onRunProgress_;
    std::unique_ptr<Run> run_;
    QThread* runThread_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    bool closeAfterRun_ = false;
    // The target name last confirmed in the save dialog, by a Yes or by a run that created the file.
    QString confirmedTarget_;

    FileNameBox* sourceNameBox_ = nullptr;
    QPushButton* browseSourceButton_ = nullptr;
    FileNameBox* targetNameBox_ = nullptr;
    QPushButton* browseTargetButton_ = nullptr;

    QGroupBox* fontFrame_ = nullptr;
    QLineEdit* fontNameBox_ = nullptr;
    QCheckBox* boldBox_ = nullptr;
    QCheckBox* italicBox_ = nullptr;
    QLineEdit* fontSizeBox_ = nullptr;
    QPushButton* fontButton_ = nullptr;

    QGroupBox* colourFrame_ = nullptr;

    QGroupBox* marginFrame_ = nullptr;
    QLineEdit* leftMarginBox_ = nullptr;
    QLineEdit* rightMarginBox_ = nullptr;
    QLineEdit* bottomMarginBox_ = nullptr;
    QButtonGroup* alignmentGroup_ = nullptr;

    QButtonGroup* formatGroup_ = nullptr;
    QPushButton* convertButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    PreviewWindow* preview_ = nullptr;
};
