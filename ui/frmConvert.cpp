#include "frmConvert.h"

#include "ColourSwatch.h"
#include "FileNameBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <type_traits>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kSsaIndex = 0;
constexpr int kSonIndex = 2;
constexpr int kStlIndex = 3;

const QString kSourceFilter = QStringLiteral("Subrip file (*.srt)|*.srt|Text file (*.txt)|*.txt|All files|*.*");
const QString kTargetFilter =
    QStringLiteral("SSA script (*.ssa)|*.ssa|Fabsub Text (*.txt)|*.txt|SON DVDMaestro (*.son)|*.son|"
                   "STL DVDMaestro (*.stl)|*.stl|All files|*.*");

/// Creates a control named \p name in \p container, placed by a rectangle in twips.
template <typename Control>
Control* Place(QWidget* container, const char* name, const QRect& twips, const QString& caption = {})
{
    auto* control = new Control(container);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(twips.x() / kTwipsPerPixel, twips.y() / kTwipsPerPixel, twips.width() / kTwipsPerPixel,
                         twips.height() / kTwipsPerPixel);
    if constexpr (std::is_same_v<Control, QGroupBox>) {
        control->setTitle(caption);
    } else if constexpr (requires { control->setText(caption); }) {
        control->setText(caption);
    }
    return control;
}

varnuth::CheckState CheckValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked: return varnuth::CheckState::Checked;
    case Qt::PartiallyChecked: return varnuth::CheckState::Greyed;
    case Qt::Unchecked: break;
    }
    return varnuth::CheckState::Unchecked;
}

std::string FileNameBytes(const QString& name)
{
    return QFile::encodeName(name).toStdString();
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

/// One conversion on its own thread. The run works on a copy of the style settings, so the window may go on
/// changing its own while the run reads them.
struct frmConvert::Run {
    explicit Run(varnuth::StyleSettings windowStyle) : style(std::move(windowStyle)) {}

    varnuth::StyleSettings style;
    varnuth::ConversionRequest request;
    std::int64_t sourceSize = 0;
    std::atomic<bool> cancel = false;
    std::atomic<std::uint64_t> bytesRead = 0;
    varnuth::RunOutcome outcome;
};

frmConvert::frmConvert(std::unique_ptr<DialogHost> dialogs, varnuth::ShowMessage showMessage,
                       RunProgressHook onRunProgress, QWidget* parent)
    : QWidget(parent), FileOpenDlg(std::move(dialogs)), showMessage_(std::move(showMessage)),
      onRunProgress_(std::move(onRunProgress))
{
    setWindowTitle(QStringLiteral("Varnuth"));
    setFixedSize(465, 285);
    setFont(WindowFont());
    createControls();
    connectActions();
    loadDefaults();
    txtSource->setFocus();
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
    Label1 = Place<QLabel>(this, "Label1", {120, 120, 1260, 255}, QStringLiteral("Source Filename:"));
    txtSource = Place<FileNameBox>(this, "txtSource", {1440, 120, 4815, 315});
    cmdBrowse = Place<QPushButton>(this, "cmdBrowse", {6360, 120, 465, 330}, QStringLiteral("..."));
    Label2 = Place<QLabel>(this, "Label2", {120, 720, 1215, 255}, QStringLiteral("Target Filename:"));
    txtTarget = Place<FileNameBox>(this, "txtTarget", {1440, 675, 4815, 315});
    cmdBrowse2 = Place<QPushButton>(this, "cmdBrowse2", {6360, 690, 465, 330}, QStringLiteral("..."));

    Frame1 = Place<QGroupBox>(this, "Frame1", {120, 1200, 2175, 1935}, QStringLiteral("Subtitle Font Format"));
    Label3 = Place<QLabel>(Frame1, "Label3", {120, 405, 495, 255}, QStringLiteral("Font:"));
    txtFont = Place<QLineEdit>(Frame1, "txtFont", {600, 360, 1455, 285});
    Label5 = Place<QLabel>(Frame1, "Label5", {120, 840, 405, 255}, QStringLiteral("Style:"));
    Check1 = Place<QCheckBox>(Frame1, "Check1", {600, 840, 615, 255}, QStringLiteral("Bold"));
    Check2 = Place<QCheckBox>(Frame1, "Check2", {1440, 840, 645, 255}, QStringLiteral("Italic"));
    Label4 = Place<QLabel>(Frame1, "Label4", {120, 1350, 495, 255}, QStringLiteral("Size:"));
    txtSize = Place<QLineEdit>(Frame1, "txtSize", {600, 1350, 735, 285});
    cmdFont = Place<QPushButton>(Frame1, "cmdFont", {1620, 1335, 450, 300}, QStringLiteral("..."));
    // Only copies of the font settings, which nothing reads back: no typing, and no stop for the Tab key.
    for (QLineEdit* copy : {txtFont, txtSize}) {
        copy->setReadOnly(true);
        copy->setFocusPolicy(Qt::ClickFocus);
    }

    Frame2 = Place<QGroupBox>(this, "Frame2", {2520, 1200, 2055, 1935}, QStringLiteral("Subtitle Color Format"));
    Label6 = Place<QLabel>(Frame2, "Label6", {120, 360, 615, 255}, QStringLiteral("Primary:"));
    shPrimary = Place<ColourSwatch>(Frame2, "shPrimary", {1080, 360, 375, 255});
    cmdPrimary = Place<QPushButton>(Frame2, "cmdPrimary", {1560, 360, 315, 255}, QStringLiteral("..."));
    Label7 = Place<QLabel>(Frame2, "Label7", {120, 840, 855, 255}, QStringLiteral("Secondary:"));
    shSecondary = Place<ColourSwatch>(Frame2, "shSecondary", {1080, 840, 375, 255});
    cmdSecondary = Place<QPushButton>(Frame2, "cmdSecondary", {1560, 840, 315, 255}, QStringLiteral("..."));
    Label8 = Place<QLabel>(Frame2, "Label8", {120, 1320, 735, 255}, QStringLiteral("Tertiary:"));
    shTertiary = Place<ColourSwatch>(Frame2, "shTertiary", {1080, 1320, 375, 255});
    cmdTertiary = Place<QPushButton>(Frame2, "cmdTertiary", {1560, 1320, 315, 255}, QStringLiteral("..."));

    Frame3 = Place<QGroupBox>(this, "Frame3", {4800, 1200, 2055, 1935}, QStringLiteral("Margin/Alignment"));
    Label9 = Place<QLabel>(Frame3, "Label9", {120, 360, 495, 255}, QStringLiteral("Left:"));
    txtLeft = Place<QLineEdit>(Frame3, "txtLeft", {840, 345, 495, 285}, QStringLiteral("10"));
    Label10 = Place<QLabel>(Frame3, "Label10", {1455, 360, 450, 255}, QStringLiteral("pixels"));
    Label11 = Place<QLabel>(Frame3, "Label11", {120, 840, 435, 255}, QStringLiteral("Right:"));
    txtRight = Place<QLineEdit>(Frame3, "txtRight", {840, 795, 495, 285}, QStringLiteral("10"));
    Label13 = Place<QLabel>(Frame3, "Label13", {1455, 840, 450, 255}, QStringLiteral("pixels"));
    Label12 = Place<QLabel>(Frame3, "Label12", {120, 1320, 570, 255}, QStringLiteral("Bottom:"));
    txtBottom = Place<QLineEdit>(Frame3, "txtBottom", {840, 1245, 495, 285}, QStringLiteral("14"));
    Label14 = Place<QLabel>(Frame3, "Label14", {1455, 1275, 450, 255}, QStringLiteral("pixels"));
    Option1 = Place<QRadioButton>(Frame3, "Option1", {150, 1635, 375, 255}, QStringLiteral("L"));
    Option2 = Place<QRadioButton>(Frame3, "Option2", {840, 1635, 375, 255}, QStringLiteral("C"));
    Option3 = Place<QRadioButton>(Frame3, "Option3", {1515, 1620, 375, 255}, QStringLiteral("R"));
    alignmentGroup = new QButtonGroup(Frame3);
    for (QRadioButton* option : {Option1, Option2, Option3}) {
        alignmentGroup->addButton(option);
    }

    Option4 = new QButtonGroup(this);
    Option4->setObjectName(QStringLiteral("Option4"));
    Option4->addButton(Place<QRadioButton>(this, "Option4_0", {120, 3360, 735, 375}, QStringLiteral("SSA")), kSsaIndex);
    Option4->addButton(Place<QRadioButton>(this, "Option4_2", {960, 3360, 1335, 375}, QStringLiteral("SON Maestro")),
                       kSonIndex);
    Option4->addButton(Place<QRadioButton>(this, "Option4_3", {2400, 3360, 1335, 375}, QStringLiteral("STL Maestro")),
                       kStlIndex);
    Option4->button(kSsaIndex)->setChecked(true);

    cmdConvert = Place<QPushButton>(this, "cmdConvert", {5400, 3360, 735, 375}, QStringLiteral("Convert"));
    cmdClose = Place<QPushButton>(this, "cmdClose", {6240, 3360, 615, 375}, QStringLiteral("Close"));
    Label15 = Place<QLabel>(this, "Label15", {5040, 3960, 1815, 255}, QStringLiteral("Updated on 5 Feb 2002"));

    for (const auto& [label, control] : {std::pair<QLabel*, QWidget*>{Label1, txtSource},
                                         {Label2, txtTarget},
                                         {Label3, txtFont},
                                         {Label4, txtSize},
                                         {Label6, shPrimary},
                                         {Label7, shSecondary},
                                         {Label8, shTertiary},
                                         {Label9, txtLeft},
                                         {Label11, txtRight},
                                         {Label12, txtBottom}}) {
        label->setBuddy(control);
    }
    // What a screen reader says for the buttons whose captions tell nothing by themselves.
    for (const auto& [control, name] : {std::pair<QWidget*, const char*>{cmdBrowse, "Choose source file"},
                                        {cmdBrowse2, "Choose target file"},
                                        {cmdFont, "Choose font"},
                                        {cmdPrimary, "Choose primary colour"},
                                        {cmdSecondary, "Choose secondary colour"},
                                        {cmdTertiary, "Choose tertiary colour"},
                                        {Option1, "Align left"},
                                        {Option2, "Align centre"},
                                        {Option3, "Align right"}}) {
        control->setAccessibleName(QLatin1String(name));
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->installEventFilter(this);
    }

    const QList<QWidget*> focusOrder = {txtSource,
                                        cmdBrowse,
                                        txtTarget,
                                        cmdBrowse2,
                                        cmdConvert,
                                        cmdClose,
                                        txtFont,
                                        txtSize,
                                        cmdFont,
                                        Check1,
                                        Check2,
                                        cmdPrimary,
                                        cmdSecondary,
                                        cmdTertiary,
                                        txtLeft,
                                        txtRight,
                                        txtBottom,
                                        Option1,
                                        Option2,
                                        Option3,
                                        Option4->button(kSsaIndex),
                                        Option4->button(kSonIndex),
                                        Option4->button(kStlIndex)};
    for (qsizetype i = 1; i < focusOrder.size(); ++i) {
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
    }
}

void frmConvert::connectActions()
{
    connect(cmdBrowse, &QPushButton::clicked, this, &frmConvert::chooseSource);
    connect(cmdBrowse2, &QPushButton::clicked, this, &frmConvert::chooseTarget);
    connect(cmdFont, &QPushButton::clicked, this, &frmConvert::chooseFont);
    connect(cmdPrimary, &QPushButton::clicked, this, &frmConvert::choosePrimaryColour);
    connect(cmdSecondary, &QPushButton::clicked, this, &frmConvert::chooseSecondaryColour);
    connect(cmdTertiary, &QPushButton::clicked, this, &frmConvert::chooseTertiaryColour);
    connect(Option4, &QButtonGroup::idClicked, this, &frmConvert::applyFormat);
    connect(cmdConvert, &QPushButton::clicked, this, &frmConvert::convert);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    TabToTheSelectedOption(alignmentGroup);
    TabToTheSelectedOption(Option4);
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
    Option2->setChecked(true);
}

void frmConvert::showFontSettings()
{
    txtFont->setText(QString::fromStdString(style_.str_fontname.TextForm()));
    txtSize->setText(QString::fromStdString(style_.str_fontsize));
}

void frmConvert::chooseSource()
{
    FileOpenDlg.Filter = kSourceFilter;
    if (FileOpenDlg.ShowOpen() && !FileOpenDlg.FileName.isEmpty()) {
        txtSource->setText(FileOpenDlg.FileName);
    }
}

void frmConvert::chooseTarget()
{
    FileOpenDlg.Flags = CommonDialog::kOverwritePrompt;
    FileOpenDlg.Filter = kTargetFilter;
    if (FileOpenDlg.ShowSave() && !FileOpenDlg.FileName.isEmpty()) {
        txtTarget->setText(FileOpenDlg.FileName);
    }
}

// A confirmed font only ever ticks Bold and Italic: the run takes both from the boxes.
void frmConvert::chooseFont()
{
    FileOpenDlg.Flags = CommonDialog::kScreenFonts;
    FileOpenDlg.FontName = QString::fromLatin1(varnuth::kDefaultFontName);
    if (!FileOpenDlg.ShowFont() || FileOpenDlg.FontName.isEmpty()) {
        return;
    }
    style_.str_fontname = FileOpenDlg.FontName.toStdString();
    style_.str_fontsize = varnuth::FontSizeText(FileOpenDlg.FontSize);
    if (FileOpenDlg.FontBold) {
        Check1->setChecked(true);
    }
    if (FileOpenDlg.FontItalic) {
        Check2->setChecked(true);
    }
    showFontSettings();
}

void frmConvert::choosePrimaryColour()
{
    chooseColour(style_.primarycolor, shPrimary);
}

void frmConvert::chooseSecondaryColour()
{
    chooseColour(style_.secondarycolor, shSecondary);
}

void frmConvert::chooseTertiaryColour()
{
    chooseColour(style_.tertiarycolor, shTertiary);
}

void frmConvert::chooseColour(varnuth::SettingValue& setting, ColourSwatch* swatch)
{
    if (!FileOpenDlg.ShowColor()) {
        return;
    }
    setting = FileOpenDlg.Color;
    swatch->setFillColour(UnpackColour(FileOpenDlg.Color));
}

// Disabling keeps every value inside the frames; only the user's access goes.
void frmConvert::applyFormat(int index)
{
    const bool ssa = index == kSsaIndex;
    Frame1->setEnabled(ssa);
    Frame2->setEnabled(ssa);
    Frame3->setEnabled(ssa);
}

// The run goes on its own thread so that the window keeps painting and can offer Cancel; a progress dialog
// appears once the run looks like lasting more than half a second.
void frmConvert::convert()
{
    run_ = std::make_unique<Run>(style_);
    run_->request = gatherRequest();
    run_->sourceSize = QFileInfo(txtSource->text()).size();
    cmdConvert->setEnabled(false);
    setCursor(Qt::BusyCursor);

    progress_ = new QProgressDialog(QStringLiteral("Converting..."), QStringLiteral("Cancel"), 0,
                                    run_->sourceSize > 0 ? kProgressSteps : 0, this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setWindowTitle(windowTitle());
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setValue(0);
    Run* run = run_.get();
    connect(progress_, &QProgressDialog::canceled, this, [run] { run->cancel = true; });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, &frmConvert::showProgress);

    varnuth::RunControl control{[run, hook = onRunProgress_](std::uint64_t bytesRead) {
                                    run->bytesRead = bytesRead;
                                    if (hook) {
                                        hook(bytesRead);
                                    }
                                },
                                &run->cancel};
    runThread_ = QThread::create([run, control = std::move(control)] {
        run->outcome = varnuth::PerformConversion(run->request, run->style, control);
    });
    connect(runThread_, &QThread::finished, this, &frmConvert::finishRun);
    progressTimer_->start();
    runThread_->start();
}

void frmConvert::showProgress()
{
    if (run_->sourceSize > 0 && !progress_->wasCanceled()) {
        const auto done = std::min<std::uint64_t>(run_->bytesRead, static_cast<std::uint64_t>(run_->sourceSize));
        progress_->setValue(static_cast<int>(done * kProgressSteps / static_cast<std::uint64_t>(run_->sourceSize)));
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
    const std::string message = varnuth::OutcomeMessage(run_->outcome);
    run_.reset();
    unsetCursor();
    cmdConvert->setEnabled(true);
    showMessage_(message);
}

varnuth::ConversionRequest frmConvert::gatherRequest()
{
    varnuth::ConversionRequest request;
    request.sourceName = FileNameBytes(txtSource->text());
    request.targetName = FileNameBytes(txtTarget->text());
    // STL also when no format is selected: its button is never asked.
    request.format = Option4->button(kSsaIndex)->isChecked()   ? varnuth::OutputFormat::SSA
                     : Option4->button(kSonIndex)->isChecked() ? varnuth::OutputFormat::SON
                                                               : varnuth::OutputFormat::STL;
    request.boldValue = CheckValue(Check1);
    request.italicValue = CheckValue(Check2);
    request.alignLeft = Option1->isChecked();
    request.alignCentre = Option2->isChecked();
    request.alignRight = Option3->isChecked();
    request.marginLeft = txtLeft->text().toStdString();
    request.marginRight = txtRight->text().toStdString();
    request.marginBottom = txtBottom->text().toStdString();
    return request;
}
