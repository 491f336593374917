#pragma once

#include "WindowActions.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class ColourSwatch;
class FileNameBox;
class PreviewWindow;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTimer;

/// The one window: two file names, the SSA style values, the output format, Convert and Close.
class frmConvert final : public QWidget, private varnuth::WindowView {
    Q_OBJECT

public:
    /// \p dialogs serves every dialog of the window; \p showMessage shows the end of each conversion.
    frmConvert(std::unique_ptr<varnuth::DialogHost> dialogs, varnuth::ShowMessage showMessage,
               varnuth::RunProgressHook onRunProgress = {}, QWidget* parent = nullptr);
    frmConvert(const frmConvert&) = delete;
    frmConvert& operator=(const frmConvert&) = delete;
    /// Cancels a run still going and waits for it.
    ~frmConvert() override;

    [[nodiscard]] const varnuth::StyleSettings& styleSettings() const { return actions_.Style(); }

    /// Takes files handed over by the desktop ("Open with", the command line) as sources, as a drop does.
    void openSources(const QStringList& fileNames);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    [[nodiscard]] std::string Text(varnuth::Box box) const override;
    void SetText(varnuth::Box box, const std::string& text) override;
    void Focus(varnuth::Box box) override;
    [[nodiscard]] varnuth::CheckState Check(varnuth::StyleCheck check) const override;
    void Tick(varnuth::StyleCheck check) override;
    [[nodiscard]] int Alignment() const override;
    void SelectAlignment(int alignment) override;
    [[nodiscard]] int FormatOption() const override;
    void EnableStyleFrames(bool enabled) override;
    void FillSwatch(varnuth::ColourRow row, std::int32_t colour) override;

    void createControls();
    void createFormatOptions();
    void connectActions();
    [[nodiscard]] QLineEdit* box(varnuth::Box which) const;

    void takeDroppedTargets(const QStringList& fileNames);
    void openPreview();
    void updatePreview();
    void convert();
    void showProgress();
    void finishRun();

    varnuth::WindowActions actions_;
    QProgressDialog* progress_ = nullptr;
    QTimer* progressTimer_ = nullptr;

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
    std::array<ColourSwatch*, 3> swatches_{}; // in the order of varnuth::ColourRow

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
