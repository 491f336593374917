#pragma once

#include "CommonDialog.h"

#include "ConversionRun.h"
#include "StyleSettings.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class ColourSwatch;
class FileNameBox;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Run;

    void createControls();
    void connectActions();
    void loadDefaults();
    void showFontSettings();

    void chooseSource();
    void chooseTarget();
    void chooseFont();
    void choosePrimaryColour();
    void chooseSecondaryColour();
    void chooseTertiaryColour();
    void chooseColour(varnuth::SettingValue& setting, ColourSwatch* swatch);
    void applyFormat(int index);
    void convert();
    void showProgress();
    void finishRun();
    [[nodiscard]] varnuth::ConversionRequest gatherRequest();

    varnuth::StyleSettings style_;
    CommonDialog FileOpenDlg;
    varnuth::ShowMessage showMessage_;
    RunProgressHook onRunProgress_;
    std::unique_ptr<Run> run_;
    QThread* runThread_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    QTimer* progressTimer_ = nullptr;

    QLabel* Label1 = nullptr;
    FileNameBox* txtSource = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLabel* Label2 = nullptr;
    FileNameBox* txtTarget = nullptr;
    QPushButton* cmdBrowse2 = nullptr;

    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtFont = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtSize = nullptr;
    QPushButton* cmdFont = nullptr;

    QGroupBox* Frame2 = nullptr;
    QLabel* Label6 = nullptr;
    ColourSwatch* shPrimary = nullptr;
    QPushButton* cmdPrimary = nullptr;
    QLabel* Label7 = nullptr;
    ColourSwatch* shSecondary = nullptr;
    QPushButton* cmdSecondary = nullptr;
    QLabel* Label8 = nullptr;
    ColourSwatch* shTertiary = nullptr;
    QPushButton* cmdTertiary = nullptr;

    QGroupBox* Frame3 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* txtLeft = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* txtRight = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* txtBottom = nullptr;
    QLabel* Label14 = nullptr;
    QButtonGroup* alignmentGroup = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;

    QButtonGroup* Option4 = nullptr;
    QPushButton* cmdConvert = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* Label15 = nullptr;
};
