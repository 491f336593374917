#include "PreviewWindow.h"

#include "AssRenderer.h"
#include "Formats.h"
#include "LineReader.h"
#include "LineWriter.h"
#include "PreviewEntries.h"
#include "PreviewFrame.h"
#include "RunError.h"
#include "SourceEncoding.h"
#include "SubtitleCounter.h"
#include "UnconvertedLines.h"

#include <QBoxLayout>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryFile>
#include <QTimer>

namespace {

// Long enough to take a burst of typing in a margin box as one change, short enough to feel immediate.
constexpr int kUpdateDelayMs = 40;
constexpr int kInfoWidth = 220;

PreviewEntry SampleEntry()
{
    return {"00:00:01,000 --> 00:00:04,000", {"This is how your subtitles look,", "two lines of sample text."}};
}

QString Words(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A line of the source for people, decoded from \p encoding as a UTF-8 script decodes it; up to a byte that is no
// character, where the run would stop.
QString TextWords(const std::string& line, const std::string& encoding)
{
    if (encoding.empty()) {
        return Words(line);
    }
    varnuth::Utf8Recoder recoder(encoding);
    constexpr std::size_t kMostBytesPerCharacter = 4;
    std::string text(line.size() * kMostBytesPerCharacter, '\0');
    const char* in = line.data();
    std::size_t inLeft = line.size();
    char* out = text.data();
    std::size_t outLeft = text.size();
    recoder.Convert(in, inLeft, out, outLeft);
    text.resize(text.size() - outLeft);
    return Words(text);
}

// A colour as a person would say it, where it has a common name.
QString ColourWords(const varnuth::SettingValue& colour)
{
    const struct {
        const char* packed;
        const char* name;
    } names[] = {{"16777215", "white"}, {"0", "black"},       {"255", "red"},      {"65280", "green"},
                 {"16711680", "blue"},  {"65535", "yellow"},  {"16776960", "cyan"}, {"16711935", "magenta"},
                 {"8421504", "grey"},   {"12632256", "silver"}};
    const std::string text = colour.TextForm();
    for (const auto& [packed, name] : names) {
        if (text == packed) {
            return QLatin1String(name);
        }
    }
    return QStringLiteral("colour %1").arg(Words(text));
}

// The style in words, with the choices a run would take from the window.
QString StyleWords(const PreviewSettings& settings)
{
    const varnuth::ConversionRequest& request = settings.request;
    const varnuth::StyleSettings& style = settings.style;
    QStringList words = {Words(style.str_fontname.TextForm()) + QLatin1Char(' ') + Words(style.str_fontsize)
                         + QStringLiteral(" point")};
    if (request.boldValue == varnuth::CheckState::Checked) {
        words << QStringLiteral("bold");
    }
    if (request.italicValue == varnuth::CheckState::Checked) {
        words << QStringLiteral("italic");
    }
    words << ColourWords(style.primarycolor) + QStringLiteral(" text");
    words << (request.alignLeft    ? QStringLiteral("at the bottom left")
              : request.alignRight ? QStringLiteral("at the bottom right")
                                   : QStringLiteral("at the bottom centre"));
    words << QStringLiteral("margins %1 left, %2 right, %3 bottom")
                 .arg(Words(request.marginLeft), Words(request.marginRight), Words(request.marginBottom));
    return words.join(QStringLiteral(", "));
}

bool HasStyle(varnuth::OutputFormat format)
{
    return varnuth::FormatOf(format).usesStyle;
}

// Only the form with sections is one that players open, so only that is shown.
QString FormatNote(varnuth::OutputFormat format)
{
    if (format == varnuth::OutputFormat::SSA) {
        return QStringLiteral("Shown as written with --sections: players refuse an SSA script without sections.");
    }
    return HasStyle(format) ? QString()
                            : QStringLiteral("%1 scripts carry no style to preview.")
                                  .arg(Words(varnuth::FormatOf(format).name));
}

} // namespace

PreviewWindow::PreviewWindow(std::function<PreviewSettings()> settings, varnuth::DialogHost& dialogs,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(std::move(settings)), dialogs_(dialogs),
      entry_(std::make_unique<PreviewEntry>(SampleEntry()))
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Varnuth Preview"));
    createControls();
    connectActions();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::createControls()
{
    frame_ = new PreviewFrame(this);
    frame_->setObjectName(QStringLiteral("previewFrame"));
    frame_->setAccessibleName(QStringLiteral("Subtitle preview"));
    const auto addLabel = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    entryLabel_ = addLabel("previewEntry");
    formatNote_ = addLabel("previewFormatNote");
    fontNote_ = addLabel("previewFontNote");
    problemNote_ = addLabel("previewProblem");
    const auto addButton = [this](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        return button;
    };
    previousButton_ = addButton("previewPrevious", QStringLiteral("Previous"));
    nextButton_ = addButton("previewNext", QStringLiteral("Next"));
    backgroundButton_ = addButton("previewBackground", QStringLiteral("Background..."));
    backgroundButton_->setToolTip(QStringLiteral("Show a still of your video under the subtitles; you can also "
                                                 "drop an image on the frame"));
    entrySlider_ = new QSlider(Qt::Horizontal, this);
    entrySlider_->setObjectName(QStringLiteral("previewSlider"));
    entrySlider_->setAccessibleName(QStringLiteral("Entry"));

    auto* info = new QVBoxLayout;
    for (QLabel* label : {entryLabel_, formatNote_, fontNote_, problemNote_}) {
        info->addWidget(label);
    }
    info->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(frame_, 1);
    top->addLayout(info);
    for (QLabel* label : {entryLabel_, formatNote_, fontNote_, problemNote_}) {
        label->setFixedWidth(kInfoWidth);
    }
    auto* navigation = new QHBoxLayout;
    navigation->addWidget(previousButton_);
    navigation->addWidget(entrySlider_, 1);
    navigation->addWidget(nextButton_);
    navigation->addWidget(backgroundButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(navigation);

    updateTimer_ = new QTimer(this);
    updateTimer_->setObjectName(QStringLiteral("previewUpdate"));
    updateTimer_->setSingleShot(true);
    updateTimer_->setInterval(kUpdateDelayMs);
}

void PreviewWindow::connectActions()
{
    connect(updateTimer_, &QTimer::timeout, this, &PreviewWindow::updateNow);
    connect(entrySlider_, &QSlider::valueChanged, this, &PreviewWindow::showEntry);
    connect(previousButton_, &QPushButton::clicked, this, &PreviewWindow::showPrevious);
    connect(nextButton_, &QPushButton::clicked, this, &PreviewWindow::showNext);
    connect(backgroundButton_, &QPushButton::clicked, this, &PreviewWindow::chooseBackground);
}

// libass and its fonts are loaded here, when the preview is first shown, and never at the program's start.
void PreviewWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!rendererTried_) {
        loadRenderer();
    }
    scheduleUpdate();
}

void PreviewWindow::loadRenderer()
{
    rendererTried_ = true;
    QString error;
    renderer_ = AssRenderer::Load(error);
    frame_->setRenderer(renderer_.get());
    problemNote_->setText(error);
}

// A source that cannot be read, or has no entry with text, leaves the sample in view and says why.
void PreviewWindow::setSourceName(const QString& sourceName)
{
    entries_.reset();
    sourceEncoding_.clear();
    sourceProblem_.clear();
    if (!sourceName.isEmpty()) {
        try {
            const std::string name = QFile::encodeName(sourceName).toStdString();
            entries_ = std::make_unique<PreviewEntries>(name);
            sourceEncoding_ = varnuth::DetectSourceEncoding(name);
        } catch (const varnuth::RunError& error) {
            sourceProblem_ = Words(error.description());
        }
    }
    if (entries_ && entries_->Count() == 0) {
        entries_.reset();
        sourceEncoding_.clear();
        sourceProblem_ = QStringLiteral("The source has no subtitle entry; a sample is shown instead.");
    }
    const QSignalBlocker quiet(entrySlider_);
    entrySlider_->setRange(0, entries_ ? entries_->Count() - 1 : 0);
    entrySlider_->setValue(0);
    entrySlider_->setEnabled(entries_ != nullptr);
    showEntry(0);
}

void PreviewWindow::showEntry(int index)
{
    try {
        *entry_ = entries_ ? entries_->At(index) : SampleEntry();
    } catch (const varnuth::RunError& error) {
        sourceProblem_ = Words(error.description());
        *entry_ = SampleEntry();
    }
    previousButton_->setEnabled(entries_ && index > 0);
    nextButton_->setEnabled(entries_ && index < entries_->Count() - 1);
    scheduleUpdate();
}

void PreviewWindow::showPrevious()
{
    entrySlider_->setValue(entrySlider_->value() - 1);
}

void PreviewWindow::showNext()
{
    entrySlider_->setValue(entrySlider_->value() + 1);
}

void PreviewWindow::chooseBackground()
{
    const std::optional<std::string> chosen =
        dialogs_.AskOpenFileName("Images|*.png;*.jpg;*.jpeg;*.bmp;*.webp|All files|*", {});
    if (!chosen) {
        return;
    }
    const QString name = QFile::decodeName(QByteArray::fromStdString(*chosen));
    const QImage still(name);
    problemNote_->setText(still.isNull() ? QStringLiteral("%1 is not an image that can be read.").arg(name)
                                         : QString());
    if (!still.isNull()) {
        frame_->setBackground(still);
    }
}

void PreviewWindow::scheduleUpdate()
{
    updateTimer_->start();
}

// The script is written as the run would write it, then drawn: what is seen is what a player will show.
void PreviewWindow::updateNow()
{
    if (!isVisible() || !renderer_) {
        return;
    }
    const PreviewSettings settings = settings_();
    describe(settings);
    problemNote_->setText(sourceProblem_);
    std::string script;
    if (HasStyle(settings.request.format)) {
        try {
            script = writeScript(settings);
        } catch (const varnuth::RunError& error) {
            problemNote_->setText(Words(error.description()));
        }
    }
    renderer_->SetScript(script);
    frame_->redraw();
    fontNote_->setText(renderer_->FontNote(Words(settings.style.str_fontname.TextForm())));
}

// The entry goes through the format's own converter, from a file of that one entry into memory.
std::string PreviewWindow::writeScript(const PreviewSettings& settings)
{
    if (!entryFile_) {
        entryFile_ = std::make_unique<QTemporaryFile>();
        if (!entryFile_->open()) {
            throw varnuth::RunError(1, "The preview cannot write its temporary file: "
                                           + entryFile_->errorString().toStdString());
        }
    }
    const std::string entry = entry_->SubRip();
    entryFile_->resize(0);
    entryFile_->seek(0);
    entryFile_->write(entry.data(), static_cast<qint64>(entry.size()));
    entryFile_->flush();

    PreviewSettings run = settings;
    run.request.ssaSections = true;
    // Decoded as the run decodes the whole source, which one entry alone may be too short to tell.
    const std::string encoding = varnuth::FormatOf(run.request.format).utf8Text ? sourceEncoding_ : std::string();
    std::string script;
    varnuth::LineReader source(QFile::encodeName(entryFile_->fileName()).toStdString(), nullptr, encoding);
    varnuth::LineWriter target(script);
    varnuth::SubtitleCounter counter;
    varnuth::UnconvertedLines unconverted;
    varnuth::FormatOf(run.request.format).convert(source, target, run.request, run.style, counter, unconverted);
    target.Close();
    return script;
}

void PreviewWindow::describe(const PreviewSettings& settings)
{
    const QString times = Words(entry_->timing);
    entryLabel_->setText(entries_ ? QStringLiteral("Entry %1 of %2\n%3")
                                        .arg(entrySlider_->value() + 1)
                                        .arg(entries_->Count())
                                        .arg(times)
                                  : QStringLiteral("Sample text, as no source is named\n%1").arg(times));
    QString note = FormatNote(settings.request.format);
    if (!sourceEncoding_.empty() && varnuth::FormatOf(settings.request.format).utf8Text) {
        note += QStringLiteral(" The source is read as %1.").arg(Words(sourceEncoding_));
    }
    formatNote_->setText(note.trimmed());
    QStringList text;
    try {
        for (const std::string& line : entry_->text) {
            text << TextWords(line, sourceEncoding_);
        }
    } catch (const varnuth::RunError& error) {
        text = QStringList{Words(error.description())};
    }
    frame_->setAccessibleDescription(
        QStringLiteral("%1. Style: %2.").arg(text.join(QStringLiteral(" / ")), StyleWords(settings)));
}
