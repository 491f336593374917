#include "frmConvert.h"

#include "AccessibleRoles.h"
#include "ColourSwatch.h"
#include "FileNameBox.h"
#include "PreviewWindow.h"
#include "QtDialogHost.h"

#include "FormatOptions.h"
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
#include <QTimer>

#include <algorithm>
#include <vector>
#include <type_traits>

namespace {

constexpr int kTwipsPerPixel = 15;

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

constexpr int kProgressDelayMs = 500;
constexpr int kProgressIntervalMs = 100;

} // namespace

frmConvert::frmConvert(std::unique_ptr<varnuth::DialogHost> dialogs, varnuth::ShowMessage showMessage,
                       varnuth::RunProgressHook onRunProgress, QWidget* parent)
    : QWidget(parent),
      actions_(*this, std::move(dialogs), std::move(showMessage),
               [this] { QMetaObject::invokeMethod(this, &frmConvert::finishRun, Qt::QueuedConnection); },
               std::move(onRunProgress))
{
    InstallAccessibleRoles();
    setWindowTitle(QStringLiteral("Varnuth"));
    setFixedSize(Pixels(6975), Pixels(4275));
    setFont(WindowFont());
    createControls();
    connectActions();
    actions_.Load();
    setAcceptDrops(true);
    sourceNameBox_->setFocus();
}

frmConvert::~frmConvert() = default;

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
        varnuth::ColourRow row;
    } colourRows[] = {
        {"Label6", "Primary:", 615, 360, "shPrimary", "cmdPrimary", "Choose primary colour",
         varnuth::ColourRow::Primary},
        {"Label7", "Secondary:", 855, 840, "shSecondary", "cmdSecondary", "Choose secondary colour",
         varnuth::ColourRow::Secondary},
        {"Label8", "Tertiary:", 735, 1320, "shTertiary", "cmdTertiary", "Choose tertiary colour",
         varnuth::ColourRow::Tertiary},
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
        swatches_.at(static_cast<std::size_t>(row.row)) = swatch;
        connect(button, &QPushButton::clicked, this, [this, which = row.row] { actions_.ChooseColour(which); });
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
    AddOption(alignmentGroup_, varnuth::kAlignLeft, marginFrame_, "Option1", {150, 1635, 375, 255}, QStringLiteral("L"));
    AddOption(alignmentGroup_, varnuth::kAlignCentre, marginFrame_, "Option2", {840, 1635, 375, 255}, QStringLiteral("C"));
    AddOption(alignmentGroup_, varnuth::kAlignRight, marginFrame_, "Option3", {1515, 1620, 375, 255}, QStringLiteral("R"));

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
                                        {alignmentGroup_->button(varnuth::kAlignLeft), "Align left"},
                                        {alignmentGroup_->button(varnuth::kAlignCentre), "Align centre"},
                                        {alignmentGroup_->button(varnuth::kAlignRight), "Align right"},
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
    const auto places = varnuth::FormatOptionPlaces();
    auto* options = Place<ControlGroup>(this, "Option4Group", {0, places.front().top, 0, places.front().height});
    options->setAccessibleName(QStringLiteral("Output format"));
    for (std::size_t i = 0; i < places.size(); ++i) {
        const varnuth::FormatEntry& row = varnuth::kFormats.at(i);
        const varnuth::TwipsPlace& place = places.at(i);
        const std::string name = "Option4_" + std::to_string(row.optionIndex);
        AddOption(formatGroup_, row.optionIndex, options, name.c_str(), {place.left, 0, place.width, place.height},
                  QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size())));
    }
    options->resize(Pixels(places.back().left + places.back().width), options->height());
    formatGroup_->button(varnuth::kFormats.front().optionIndex)->setChecked(true);
}

void frmConvert::connectActions()
{
    connect(browseSourceButton_, &QPushButton::clicked, this, [this] { actions_.ChooseSource(); });
    connect(browseTargetButton_, &QPushButton::clicked, this, [this] { actions_.ChooseTarget(); });
    connect(fontButton_, &QPushButton::clicked, this, [this] { actions_.ChooseFont(); });
    connect(formatGroup_, &QButtonGroup::idClicked, this, [this](int index) { actions_.ApplyFormat(index); });
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

namespace {

// Full names as the file system takes them.
std::vector<std::string> FullNames(const QStringList& fileNames)
{
    std::vector<std::string> names;
    for (const QString& name : fileNames) {
        names.push_back(QFile::encodeName(QFileInfo(name).absoluteFilePath()).toStdString());
    }
    return names;
}

} // namespace

void frmConvert::openSources(const QStringList& fileNames)
{
    actions_.TakeSources(FullNames(fileNames));
}

void frmConvert::takeDroppedTargets(const QStringList& fileNames)
{
    actions_.TakeDroppedTargets(FullNames(fileNames));
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

// One preview for the window's life, beside it and never modal: the window stays as usable as without it.
void frmConvert::openPreview()
{
    if (preview_ == nullptr) {
        preview_ = new PreviewWindow(
            [this] {
                return PreviewSettings{actions_.GatherRequest(), actions_.Style()};
            },
            actions_.Dialogs(), this);
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

// The progress dialog appears once the runs look like lasting more than half a second.
void frmConvert::convert()
{
    if (!actions_.Convert()) {
        return;
    }
    convertButton_->setEnabled(false);
    setCursor(Qt::BusyCursor);
    const varnuth::RunProgress start = actions_.Progress();
    progress_ = new QProgressDialog(QString::fromStdString(start.label), QStringLiteral("Cancel"), 0, start.maximum,
                                    this);
    progress_->setObjectName(QStringLiteral("progress"));
    auto* bar = new QProgressBar(progress_);
    bar->setAccessibleName(QStringLiteral("Conversion progress"));
    progress_->setBar(bar);
    progress_->setWindowTitle(windowTitle());
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { actions_.CancelRun(); });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, &frmConvert::showProgress);
    progressTimer_->start();
}

void frmConvert::showProgress()
{
    if (progress_->wasCanceled()) {
        return;
    }
    const varnuth::RunProgress now = actions_.Progress();
    progress_->setLabelText(QString::fromStdString(now.label));
    if (now.maximum > 0) {
        progress_->setValue(now.value);
    }
}

void frmConvert::finishRun()
{
    delete progressTimer_;
    progressTimer_ = nullptr;
    delete progress_;
    progress_ = nullptr;
    unsetCursor();
    convertButton_->setEnabled(true);
    if (actions_.FinishRun()) {
        close();
        return;
    }
    // Disabled during the run, Convert had passed the focus on to Close, where the next Enter would quit.
    convertButton_->setFocus();
}

void frmConvert::closeEvent(QCloseEvent* event)
{
    if (actions_.AskToClose() == varnuth::CloseAnswer::Close) {
        event->accept();
    } else {
        event->ignore();
    }
}

QLineEdit* frmConvert::box(varnuth::Box which) const
{
    const std::array<QLineEdit*, 7> boxes = {sourceNameBox_,  targetNameBox_,  fontNameBox_,   fontSizeBox_,
                                             leftMarginBox_, rightMarginBox_, bottomMarginBox_};
    return boxes.at(static_cast<std::size_t>(which));
}

// A file name keeps the bytes the file system gave it, where they are no UTF-8.
std::string frmConvert::Text(varnuth::Box which) const
{
    if (which == varnuth::Box::Source || which == varnuth::Box::Target) {
        return static_cast<FileNameBox*>(box(which))->fileNameBytes();
    }
    return box(which)->text().toStdString();
}

void frmConvert::SetText(varnuth::Box which, const std::string& text)
{
    const bool fileName = which == varnuth::Box::Source || which == varnuth::Box::Target;
    box(which)->setText(fileName ? QFile::decodeName(QByteArray::fromStdString(text)) : QString::fromStdString(text));
}

void frmConvert::Focus(varnuth::Box which)
{
    box(which)->setFocus();
}

varnuth::CheckState frmConvert::Check(varnuth::StyleCheck check) const
{
    return CheckValue(check == varnuth::StyleCheck::Bold ? boldBox_ : italicBox_);
}

void frmConvert::Tick(varnuth::StyleCheck check)
{
    (check == varnuth::StyleCheck::Bold ? boldBox_ : italicBox_)->setChecked(true);
}

int frmConvert::Alignment() const
{
    return std::max(alignmentGroup_->checkedId(), varnuth::kNoAlignment);
}

void frmConvert::SelectAlignment(int alignment)
{
    alignmentGroup_->button(alignment)->setChecked(true);
}

int frmConvert::FormatOption() const
{
    return formatGroup_->checkedId();
}

// Whatever only a styled script uses goes with the frames.
void frmConvert::EnableStyleFrames(bool enabled)
{
    fontFrame_->setEnabled(enabled);
    colourFrame_->setEnabled(enabled);
    marginFrame_->setEnabled(enabled);
    previewButton_->setEnabled(enabled);
}

void frmConvert::FillSwatch(varnuth::ColourRow row, std::int32_t colour)
{
    swatches_.at(static_cast<std::size_t>(row))->setFillColour(UnpackColour(colour));
    updatePreview();
}
