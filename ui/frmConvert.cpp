#include "frmConvert.h"

#include "AccessibleRoles.h"
#include "ColourSwatch.h"
#include "FileNameBox.h"
#include "PreviewWindow.h"

#include "ConversionBatch.h"
#include "Formats.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <vector>
#include <type_traits>

namespace {

constexpr int kTwipsPerPixel = 15;
// The alignment buttons' ids: SSA's numbers for them.
constexpr int kAlignLeft = 1;
constexpr int kAlignCentre = 2;
constexpr int kAlignRight = 3;

const QString kSourceFilter = QStringLiteral("Subrip file (*.srt)|*.srt|Text file (*.txt)|*.txt|All files|*.*");

// The format options stand in one row, in the table's order: a short caption on a narrow button, a longer one on a
// wide button, each a small gap after the one before. This puts the first three where they have always been.
constexpr int kFormatRowLeft = 120;
constexpr int kFormatRowTop = 3360;
constexpr int kFormatOptionHeight = 375;
constexpr int kFormatOptionGap = 105;
constexpr int kNarrowFormatOption = 735;
constexpr int kWideFormatOption = 1335;
constexpr std::size_t kNarrowCaptionLength = 3;

constexpr int Pixels(int twips)
{
    return twips / kTwipsPerPixel;
}

/// Creates a control named \p name in \p container, placed by a rectangle in twips.
template <typename Control>
Control* Place(QWidget* container, const char* name, const QRect& twips, const QString& caption = {})
{
    auto* control = new Control(container);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(Pixels(twips.x()), Pixels(twips.y()), Pixels(twips.width()), Pixels(twips.height()));
    if constexpr (std::is_same_v<Control, QGroupBox>) {
        control->setTitle(caption);
    } else if constexpr (requires { control->setText(caption); }) {
        control->setText(caption);
    }
    return control;
}

/// Creates an option button as Place does and adds it to \p group under \p id.
void AddOption(QButtonGroup* group, int id, QWidget* container, const char* name, const QRect& twips,
               const QString& caption)
{
    group->addButton(Place<QRadioButton>(container, name, twips, caption), id);
}

// A check box's value as the run takes it.
varnuth::CheckState CheckValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked: return varnuth::CheckState::Checked;
    case Qt::PartiallyChecked: return varnuth::CheckState::Greyed;
    case Qt::Unchecked: break;
    }
    return varnuth::CheckState::Unchecked;
}

// The layout was drawn for a small, narrow system font; in pixels, so that captions fit whatever the dpi.
// Without the narrow face the wider default one takes its place, and only a smaller size keeps every caption whole.
QFont WindowFont()
{
    const QString narrow = QStringLiteral("DejaVu Sans Condensed");
    QFont font(narrow);
    font.setPixelSize(QFontDatabase::hasFamily(narrow) ? 10 : 9);
    return font;
}

// Tab enters an option group at its selected button, where Space changes nothing.
void TabToTheSelectedOption(QButtonGroup* group)
{
    for (QAbstractButton* button : group->buttons()) {
        button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
    QObject::connect(group, &QButtonGroup::buttonToggled, group, [](QAbstractButton* button, bool checked) {
        button->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
    });
}

constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 500;
constexpr int kProgressIntervalMs = 100;

} // namespace

/// The conversions of one Convert, one after another on their own thread. They work on a copy of the style
/// settings, so the window may go on changing its own while the runs read them.
struct frmConvert::Run {
    explicit Run(varnuth::StyleSettings windowStyle) : style(std::move(windowStyle)) {}

    varnuth::StyleSettings style;
    std::vector<varnuth::ConversionRequest> requests;
    std::vector<std::int64_t> sourceSizes;
    std::atomic<bool> cancel = false;
    std::atomic<std::size_t> inWork = 0;
    std::atomic<std::uint64_t> bytesRead = 0;
    std::vector<varnuth::RunOutcome> outcomes;
};

frmConvert::frmConvert(std::unique_ptr<DialogHost> dialogs, varnuth::ShowMessage showMessage,
                       RunProgressHook onRunProgress, QWidget* parent)
    : QWidget(parent), dialogs_(std::move(dialogs), this), showMessage_(std::move(showMessage)),
      onRunProgress_(std::move(onRunProgress))
{
    InstallAccessibleRoles();
    setWindowTitle(QStringLiteral("Varnuth"));
    setFixedSize(Pixels(6975), Pixels(4275));
    setFont(WindowFont());
    createControls();
    connectActions();
    loadDefaults();
    setAcceptDrops(true);
    sourceNameBox_->setFocus();
}

frmConvert::~frmConvert()
{
    if (run_) {
        run_->cancel = true;
        runThread_->wait();
    }
}

void frmConvert::createControls()
{
    auto* sourceLabel = Place<QLabel>(this, "Label1", {120, 120, 1260, 255}, QStringLiteral("Source Filename:"));
    sourceNameBox_ = Place<FileNameBox>(this, "txtSource", {1440, 120, 4815, 315});
    browseSourceButton_ = Place<QPushButton>(this, "cmdBrowse", {6360, 120, 465, 330}, QStringLiteral("..."));
    auto* targetLabel = Place<QLabel>(this, "Label2", {120, 720, 1215, 255}, QStringLiteral("Target Filename:"));
    targetNameBox_ = Place<FileNameBox>(this, "txtTarget", {1440, 675, 4815, 315});
    browseTargetButton_ = Place<QPushButton>(this, "cmdBrowse2", {6360, 690, 465, 330}, QStringLiteral("..."));

    fontFrame_ = Place<QGroupBox>(this, "Frame1", {120, 1200, 2175, 1935}, QStringLiteral("Subtitle Font Format"));
    auto* fontNameLabel = Place<QLabel>(fontFrame_, "Label3", {120, 405, 495, 255}, QStringLiteral("Font:"));
    fontNameBox_ = Place<QLineEdit>(fontFrame_, "txtFont", {600, 360, 1455, 285});
    Place<QLabel>(fontFrame_, "Label5", {120, 840, 405, 255}, QStringLiteral("Style:"));
    boldBox_ = Place<QCheckBox>(fontFrame_, "Check1", {600, 840, 615, 255}, QStringLiteral("Bold"));
    italicBox_ = Place<QCheckBox>(fontFrame_, "Check2", {1440, 840, 645, 255}, QStringLiteral("Italic"));
    auto* fontSizeLabel = Place<QLabel>(fontFrame_, "Label4", {120, 1350, 495, 255}, QStringLiteral("Size:"));
    fontSizeBox_ = Place<QLineEdit>(fontFrame_, "txtSize", {600, 1350, 735, 285});
    fontButton_ = Place<QPushButton>(fontFrame_, "cmdFont", {1620, 1335, 450, 300}, QStringLiteral("..."));
    // Only copies of the font settings, which nothing reads back: no typing, and no stop for the Tab key.
    for (QLineEdit* copy : {fontNameBox_, fontSizeBox_}) {
        copy->setReadOnly(true);
        copy->setFocusPolicy(Qt::ClickFocus);
    }

    colourFrame_ = Place<QGroupBox>(this, "Frame2", {2520, 1200, 2055, 1935}, QStringLiteral("Subtitle Color Format"));
    const struct {
        const char* label;
        const char* caption;
        int labelWidth;
        int top;
        const char* swatch;
        const char* button;
        const char* spokenName;
        varnuth::SettingValue varnuth::StyleSettings::*setting;
    } colourRows[] = {
        {"Label6", "Primary:", 615, 360, "shPrimary", "cmdPrimary", "Choose primary colour",
         &varnuth::StyleSettings::primarycolor},
        {"Label7", "Secondary:", 855, 840, "shSecondary", "cmdSecondary", "Choose secondary colour",
         &varnuth::StyleSettings::secondarycolor},
        {"Label8", "Tertiary:", 735, 1320, "shTertiary", "cmdTertiary", "Choose tertiary colour",
         &varnuth::StyleSettings::tertiarycolor},
    };
    QList<QWidget*> colourButtons;
    for (const auto& row : colourRows) {
        auto* label =
            Place<QLabel>(colourFrame_, row.label, {120, row.top, row.labelWidth, 255}, QLatin1String(row.caption));
        auto* swatch = Place<ColourSwatch>(colourFrame_, row.swatch, {1080, row.top, 375, 255});
        auto* button = Place<QPushButton>(colourFrame_, row.button, {1560, row.top, 315, 255}, QStringLiteral("..."));
        label->setBuddy(swatch);
        button->setAccessibleName(QLatin1String(row.spokenName));
        swatch->describeIn(button);
        connect(button, &QPushButton::clicked, this,
                [this, setting = row.setting, swatch] { chooseColour(style_.*setting, swatch); });
        colourButtons << button;
    }

    marginFrame_ = Place<QGroupBox>(this, "Frame3", {4800, 1200, 2055, 1935}, QStringLiteral("Margin/Alignment"));
    auto* leftLabel = Place<QLabel>(marginFrame_, "Label9", {120, 360, 495, 255}, QStringLiteral("Left:"));
    leftMarginBox_ =
        Place<QLineEdit>(marginFrame_, "txtLeft", {840, 345, 495, 285}, QLatin1String(varnuth::kDefaultMarginLeft));
    Place<QLabel>(marginFrame_, "Label10", {1455, 360, 450, 255}, QStringLiteral("pixels"));
    auto* rightLabel = Place<QLabel>(marginFrame_, "Label11", {120, 840, 435, 255}, QStringLiteral("Right:"));
    rightMarginBox_ =
        Place<QLineEdit>(marginFrame_, "txtRight", {840, 795, 495, 285}, QLatin1String(varnuth::kDefaultMarginRight));
    Place<QLabel>(marginFrame_, "Label13", {1455, 840, 450, 255}, QStringLiteral("pixels"));
    auto* bottomLabel = Place<QLabel>(marginFrame_, "Label12", {120, 1320, 570, 255}, QStringLiteral("Bottom:"));
    bottomMarginBox_ = Place<QLineEdit>(marginFrame_, "txtBottom", {840, 1245, 495, 285},
                                        QLatin1String(varnuth::kDefaultMarginBottom));
    Place<QLabel>(marginFrame_, "Label14", {1455, 1275, 450, 255}, QStringLiteral("pixels"));
    alignmentGroup_ = new QButtonGroup(marginFrame_);
    AddOption(alignmentGroup_, kAlignLeft, marginFrame_, "Option1", {150, 1635, 375, 255}, QStringLiteral("L"));
    AddOption(alignmentGroup_, kAlignCentre, marginFrame_, "Option2", {840, 1635, 375, 255}, QStringLiteral("C"));
    AddOption(alignmentGroup_, kAlignRight, marginFrame_, "Option3", {1515, 1620, 375, 255}, QStringLiteral("R"));

    createFormatOptions();

    convertButton_ = Place<QPushButton>(this, "cmdConvert", {5400, 3360, 735, 375}, QStringLiteral("Convert"));
    closeButton_ = Place<QPushButton>(this, "cmdClose", {6240, 3360, 615, 375}, QStringLiteral("Close"));
    Place<QLabel>(this, "Label15", {5040, 3960, 1815, 255}, QStringLiteral("Updated on 5 Feb 2002"));
    previewButton_ = Place<QPushButton>(this, "cmdPreview", {120, 3840, 1095, 375}, QStringLiteral("Preview..."));

    for (const auto& [label, control] : {std::pair<QLabel*, QWidget*>{sourceLabel, sourceNameBox_},
                                         {targetLabel, targetNameBox_},
                                         {fontNameLabel, fontNameBox_},
                                         {fontSizeLabel, fontSizeBox_},
                                         {leftLabel, leftMarginBox_},
                                         {rightLabel, rightMarginBox_},
                                         {bottomLabel, bottomMarginBox_}}) {
        label->setBuddy(control);
    }
    // What a screen reader says for the buttons whose captions tell nothing by themselves.
    for (const auto& [control, name] : {std::pair<QWidget*, const char*>{browseSourceButton_, "Choose source file"},
                                        {browseTargetButton_, "Choose target file"},
                                        {fontButton_, "Choose font"},
                                        {alignmentGroup_->button(kAlignLeft), "Align left"},
                                        {alignmentGroup_->button(kAlignCentre), "Align centre"},
                                        {alignmentGroup_->button(kAlignRight), "Align right"},
                                        {leftMarginBox_, "Left margin, pixels"},
                                        {rightMarginBox_, "Right margin, pixels"},
                                        {bottomMarginBox_, "Bottom margin, pixels"}}) {
        control->setAccessibleName(QLatin1String(name));
    }
    // A button captioned "..." shows what it does when the pointer rests on it.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("...")) {
            button->setToolTip(button->accessibleName());
        }
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->installEventFilter(this);
    }

    QList<QWidget*> focusOrder = {
        sourceNameBox_, browseSourceButton_, targetNameBox_, browseTargetButton_, convertButton_,
        closeButton_,   fontNameBox_,        fontSizeBox_,   fontButton_,         boldBox_,
        italicBox_};
    focusOrder << colourButtons << leftMarginBox_ << rightMarginBox_ << bottomMarginBox_;
    for (QAbstractButton* option : alignmentGroup_->buttons() + formatGroup_->buttons()) {
        focusOrder << option;
    }
    focusOrder << previewButton_;
    for (qsizetype i = 1; i < focusOrder.size(); ++i) {
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
    }
}

// One option button per format row, named by its index as the control array's elements are; the first is selected.
void frmConvert::createFormatOptions()
{
    formatGroup_ = new QButtonGroup(this);
    formatGroup_->setObjectName(QStringLiteral("Option4"));
    // The group a screen reader names; it sits at the window's left edge, so its buttons keep the window's places.
    auto* options = Place<ControlGroup>(this, "Option4Group", {0, kFormatRowTop, 0, kFormatOptionHeight});
    options->setAccessibleName(QStringLiteral("Output format"));
    int left = kFormatRowLeft;
    for (const varnuth::FormatEntry& row : varnuth::kFormats) {
        const int width = row.caption.size() <= kNarrowCaptionLength ? kNarrowFormatOption : kWideFormatOption;
        const std::string name = "Option4_" + std::to_string(row.optionIndex);
        AddOption(formatGroup_, row.optionIndex, options, name.c_str(), {left, 0, width, kFormatOptionHeight},
                  QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size())));
        left += width + kFormatOptionGap;
    }
    options->resize(Pixels(left), options->height());
    formatGroup_->button(varnuth::kFormats.front().optionIndex)->setChecked(true);
}

void frmConvert::connectActions()
{
    connect(browseSourceButton_, &QPushButton::clicked, this, &frmConvert::chooseSource);
    connect(browseTargetButton_, &QPushButton::clicked, this, &frmConvert::chooseTarget);
    connect(fontButton_, &QPushButton::clicked, this, &frmConvert::chooseFont);
    connect(formatGroup_, &QButtonGroup::idClicked, this, &frmConvert::applyFormat);
    connect(convertButton_, &QPushButton::clicked, this, &frmConvert::convert);
    connect(sourceNameBox_, &FileNameBox::filesDropped, this, &frmConvert::openSources);
    connect(targetNameBox_, &FileNameBox::filesDropped, this, &frmConvert::takeDroppedTargets);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(previewButton_, &QPushButton::clicked, this, &frmConvert::openPreview);
    // Every value the preview shows; the font's arrive through the boxes that show them.
    for (QLineEdit* box : {fontNameBox_, fontSizeBox_, leftMarginBox_, rightMarginBox_, bottomMarginBox_}) {
        connect(box, &QLineEdit::textChanged, this, &frmConvert::updatePreview);
    }
    for (QCheckBox* box : {boldBox_, italicBox_}) {
        connect(box, &QCheckBox::toggled, this, &frmConvert::updatePreview);
    }
    for (QButtonGroup* group : {alignmentGroup_, formatGroup_}) {
        connect(group, &QButtonGroup::idToggled, this, &frmConvert::updatePreview);
    }
    connect(sourceNameBox_, &QLineEdit::textChanged, this, [this](const QString& name) {
        if (preview_ != nullptr) {
            preview_->setSourceName(name);
        }
    });
    TabToTheSelectedOption(alignmentGroup_);
    TabToTheSelectedOption(formatGroup_);
}

// Enter presses the focused button, as Space does.
bool frmConvert::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmConvert::loadDefaults()
{
    style_.SetDefaults();
    showFontSettings();
    alignmentGroup_->button(kAlignCentre)->setChecked(true);
}

void frmConvert::showFontSettings()
{
    fontNameBox_->setText(QString::fromStdString(style_.str_fontname.TextForm()));
    fontSizeBox_->setText(QString::fromStdString(style_.str_fontsize));
}

void frmConvert::openSources(const QStringList& fileNames)
{
    sourceNameBox_->takeFiles(fileNames);
}

// One file is the target; several can only be sources.
void frmConvert::takeDroppedTargets(const QStringList& fileNames)
{
    if (fileNames.size() == 1) {
        targetNameBox_->takeFiles(fileNames);
    } else {
        openSources(fileNames);
    }
}

void frmConvert::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFileNames(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

// Files dropped anywhere else on the window are sources.
void frmConvert::dropEvent(QDropEvent* event)
{
    const QStringList fileNames = DroppedFileNames(event->mimeData());
    if (!fileNames.isEmpty()) {
        event->acceptProposedAction();
        openSources(fileNames);
    }
}

void frmConvert::chooseSource()
{
    dialogs_.Filter = kSourceFilter;
    if (dialogs_.ShowOpen() && !dialogs_.FileNames.isEmpty()) {
        sourceNameBox_->takeFiles(dialogs_.FileNames);
    }
}

// Several sources go into a folder, which starts where they are when none is named yet.
void frmConvert::chooseTargetFolder()
{
    const QStringList sources = sourceNameBox_->fileNames();
    dialogs_.InitDir = targetNameBox_->text().isEmpty() ? QFileInfo(sources.front()).absolutePath()
                                                        : targetNameBox_->text();
    if (dialogs_.ShowFolder()) {
        targetNameBox_->setText(dialogs_.InitDir);
    }
}

void frmConvert::chooseTarget()
{
    if (sourceNameBox_->fileNames().size() > 1) {
        chooseTargetFolder();
        return;
    }
    dialogs_.Flags = CommonDialog::kOverwritePrompt;
    dialogs_.Filter = QString::fromStdString(varnuth::TargetFilter());
    if (dialogs_.ShowSave() && !dialogs_.FileName.isEmpty()) {
        targetNameBox_->setText(dialogs_.FileName);
        confirmedTarget_ = dialogs_.FileName;
    }
}

// A confirmed font only ever ticks Bold and Italic: the run takes both from the boxes.
void frmConvert::chooseFont()
{
    dialogs_.Flags = CommonDialog::kScreenFonts;
    dialogs_.FontName = QString::fromLatin1(varnuth::kDefaultFontName);
    if (!dialogs_.ShowFont() || dialogs_.FontName.isEmpty()) {
        return;
    }
    style_.str_fontname = dialogs_.FontName.toStdString();
    style_.str_fontsize = varnuth::FontSizeText(dialogs_.FontSize);
    if (dialogs_.FontBold) {
        boldBox_->setChecked(true);
    }
    if (dialogs_.FontItalic) {
        italicBox_->setChecked(true);
    }
    showFontSettings();
}

void frmConvert::chooseColour(varnuth::SettingValue& setting, ColourSwatch* swatch)
{
    if (!dialogs_.ShowColor()) {
        return;
    }
    setting = dialogs_.Color;
    swatch->setFillColour(UnpackColour(dialogs_.Color));
    updatePreview();
}

// Disabling keeps every value inside the frames; only the user's access goes.
void frmConvert::applyFormat(int index)
{
    const varnuth::FormatEntry* row = varnuth::FindFormatByOption(index);
    const bool styled = row != nullptr && row->usesStyle;
    fontFrame_->setEnabled(styled);
    colourFrame_->setEnabled(styled);
    marginFrame_->setEnabled(styled);
    previewButton_->setEnabled(styled);
}

// One preview for the window's life, beside it and never modal: the window stays as usable as without it.
void frmConvert::openPreview()
{
    if (preview_ == nullptr) {
        preview_ = new PreviewWindow(
            [this] {
                return PreviewSettings{gatherRequest(), style_};
            },
            dialogs_.Host(), this);
        preview_->setSourceName(sourceNameBox_->text());
    }
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

void frmConvert::updatePreview()
{
    if (preview_ != nullptr) {
        preview_->scheduleUpdate();
    }
}

// Several sources go into the target folder, each under its own name; nothing starts if any of them cannot.
std::optional<std::vector<varnuth::ConversionRequest>> frmConvert::gatherRequests()
{
    varnuth::ConversionRequest request = gatherRequest();
    const QStringList sources = sourceNameBox_->fileNames();
    if (sources.size() <= 1) {
        // One name in quotes is that name; otherwise the box's own bytes stand.
        if (sources.size() == 1 && sources.front() != sourceNameBox_->text()) {
            request.sourceName = QFile::encodeName(sources.front()).toStdString();
        }
        return std::vector{request};
    }
    std::vector<std::string> sourceNames;
    for (const QString& source : sources) {
        sourceNames.push_back(QFile::encodeName(source).toStdString());
    }
    try {
        return varnuth::PlanBatch(sourceNames, request.targetName, request);
    } catch (const varnuth::RunError& error) {
        showMessage_(error.description());
        return std::nullopt;
    }
}

// An empty name would convert nothing, so it is no run: the message says which box to fill.
bool frmConvert::namesAreGiven()
{
    for (const auto& [box, which] :
         {std::pair<FileNameBox*, const char*>{sourceNameBox_, "source"}, {targetNameBox_, "target"}}) {
        if (box->text().isEmpty()) {
            showMessage_(std::string("Enter a ") + which + " file name, or choose one with ...");
            box->setFocus();
            return false;
        }
    }
    return true;
}

// The save dialog asks before it names an existing file; a typed or dropped name is asked about here, once.
bool frmConvert::mayReplaceTarget()
{
    const QString target = targetNameBox_->text();
    std::error_code unknown;
    if (target != confirmedTarget_ && std::filesystem::is_regular_file(targetNameBox_->fileNameBytes(), unknown)
        && !dialogs_.AskYesNo(QStringLiteral("\"%1\" already exists.\nDo you want to replace it?").arg(target))) {
        return false;
    }
    confirmedTarget_ = target;
    return true;
}

// Each existing target of a batch would be replaced too; one question covers them all.
bool frmConvert::mayReplaceTargets(const std::vector<varnuth::ConversionRequest>& requests)
{
    const auto existing = std::count_if(requests.begin(), requests.end(), [](const varnuth::ConversionRequest& request) {
        return QFileInfo(QFile::decodeName(QByteArray::fromStdString(request.targetName))).isFile();
    });
    return existing == 0
           || dialogs_.AskYesNo(QStringLiteral("%1 of the %2 targets already exist in \"%3\".\nDo you want to replace them?")
                                    .arg(existing)
                                    .arg(requests.size())
                                    .arg(targetNameBox_->text()));
}

// The runs go on their own thread so that the window keeps painting and can offer Cancel; a progress dialog
// appears once they look like lasting more than half a second. They leave the window free, so that closing it can
// stop them.
void frmConvert::convert()
{
    if (!namesAreGiven()) {
        return;
    }
    std::optional<std::vector<varnuth::ConversionRequest>> requests = gatherRequests();
    if (!requests || !(requests->size() == 1 ? mayReplaceTarget() : mayReplaceTargets(*requests))) {
        return;
    }
    run_ = std::make_unique<Run>(style_);
    run_->requests = std::move(*requests);
    for (const varnuth::ConversionRequest& request : run_->requests) {
        std::error_code unknown;
        const auto size = static_cast<std::int64_t>(std::filesystem::file_size(request.sourceName, unknown));
        run_->sourceSizes.push_back(unknown ? 0 : size);
    }
    const bool measured = std::all_of(run_->sourceSizes.begin(), run_->sourceSizes.end(),
                                      [](std::int64_t size) { return size > 0; });
    convertButton_->setEnabled(false);
    setCursor(Qt::BusyCursor);

    const QString firstName = QFileInfo(sourceNameBox_->fileNames().front()).fileName();
    progress_ = new QProgressDialog(QStringLiteral("Converting \"%1\"...").arg(firstName), QStringLiteral("Cancel"), 0,
                                    measured ? kProgressSteps * static_cast<int>(run_->requests.size()) : 0, this);
    progress_->setObjectName(QStringLiteral("progress"));
    auto* bar = new QProgressBar(progress_);
    bar->setAccessibleName(QStringLiteral("Conversion progress"));
    progress_->setBar(bar);
    progress_->setWindowTitle(windowTitle());
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setValue(0);
    Run* run = run_.get();
    connect(progress_, &QProgressDialog::canceled, this, [run] { run->cancel = true; });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, &frmConvert::showProgress);

    varnuth::BatchControl control;
    control.cancel = &run->cancel;
    control.started = [run](std::size_t index) {
        run->bytesRead = 0;
        run->inWork = index;
    };
    control.progress = [run, hook = onRunProgress_](std::size_t, std::uint64_t bytesRead) {
        run->bytesRead = bytesRead;
        if (hook) {
            hook(bytesRead);
        }
    };
    runThread_ = QThread::create([run, control = std::move(control)] {
        run->outcomes = varnuth::PerformBatch(run->requests, run->style, control);
    });
    connect(runThread_, &QThread::finished, this, &frmConvert::finishRun);
    progressTimer_->start();
    runThread_->start();
}

// Each file counts the same in the batch's progress, however large; several files are named one by one.
void frmConvert::showProgress()
{
    if (progress_->wasCanceled()) {
        return;
    }
    const std::size_t index = run_->inWork;
    const std::size_t files = run_->requests.size();
    if (files > 1) {
        const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(run_->requests[index].sourceName)))
                                 .fileName();
        progress_->setLabelText(QStringLiteral("File %1 of %2: %3").arg(index + 1).arg(files).arg(name));
    }
    if (progress_->maximum() > 0) {
        const auto size = static_cast<std::uint64_t>(run_->sourceSizes[index]);
        const std::uint64_t done = std::min<std::uint64_t>(run_->bytesRead, size);
        progress_->setValue(static_cast<int>(index) * kProgressSteps
                            + static_cast<int>(done * kProgressSteps / size));
    }
}

// The message comes only now, after the run, and once; the SSA run's choices it wrote into its copy become the
// window's own.
void frmConvert::finishRun()
{
    delete progressTimer_;
    progressTimer_ = nullptr;
    delete progress_;
    progress_ = nullptr;
    runThread_->deleteLater();
    runThread_ = nullptr;
    style_.bold = run_->style.bold;
    style_.italic = run_->style.italic;
    style_.txtAlignment = run_->style.txtAlignment;
    const std::vector<varnuth::RunOutcome>& outcomes = run_->outcomes;
    const std::string message = run_->requests.size() == 1 ? varnuth::OutcomeMessage(outcomes.front())
                                                            : varnuth::BatchMessage(run_->requests, outcomes);
    // A run that ended before it saw the stop still says how it ended.
    const bool stopped = closeAfterRun_ && !std::all_of(outcomes.begin(), outcomes.end(), [](const auto& outcome) {
        return outcome.succeeded();
    });
    run_.reset();
    unsetCursor();
    convertButton_->setEnabled(true);
    if (!stopped) {
        showMessage_(message);
    }
    if (closeAfterRun_) {
        close();
        return;
    }
    // Disabled during the run, Convert had passed the focus on to Close, where the next Enter would quit.
    convertButton_->setFocus();
}

// Closing stops a run only when the user agrees; the window then closes once the run has let go of the target.
void frmConvert::closeEvent(QCloseEvent* event)
{
    if (!run_) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    if (closeAfterRun_ || !dialogs_.AskYesNo(QStringLiteral("A conversion is running. Stop it and close Varnuth?"))) {
        return;
    }
    if (!run_) {
        // The run ended while the question was open.
        event->accept();
        return;
    }
    closeAfterRun_ = true;
    run_->cancel = true;
}

varnuth::ConversionRequest frmConvert::gatherRequest()
{
    varnuth::ConversionRequest request;
    request.sourceName = sourceNameBox_->fileNameBytes();
    request.targetName = targetNameBox_->fileNameBytes();
    // STL also when no format is selected.
    const varnuth::FormatEntry* format = varnuth::FindFormatByOption(formatGroup_->checkedId());
    request.format = format != nullptr ? format->format : varnuth::OutputFormat::STL;
    request.boldValue = CheckValue(boldBox_);
    request.italicValue = CheckValue(italicBox_);
    const int alignment = alignmentGroup_->checkedId();
    request.alignLeft = alignment == kAlignLeft;
    request.alignCentre = alignment == kAlignCentre;
    request.alignRight = alignment == kAlignRight;
    request.marginLeft = leftMarginBox_->text().toStdString();
    request.marginRight = rightMarginBox_->text().toStdString();
    request.marginBottom = bottomMarginBox_->text().toStdString();
    return request;
}
