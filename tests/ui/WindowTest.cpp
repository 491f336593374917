#include "ColourSwatch.h"
#include "CommandLine.h"
#include "CompactStyle.h"
#include "QtDialogHost.h"
#include "LineReader.h"
#include "MessageBox.h"
#include "Formats.h"
#include "PreviewFrame.h"
#include "TestSupport.h"
#include "frmConvert.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <locale>
#include <tuple>

namespace {

/// Answers each dialog from a script instead of a person, and keeps where each dialog started.
class ScriptedDialogs final : public varnuth::DialogHost {
public:
    std::optional<std::string> AskOpenFileName(const std::string& filter, const std::string&) override
    {
        return Name(Next<QString>(NameFilters(filter)));
    }
    std::optional<std::vector<std::string>> AskOpenFileNames(const std::string& filter, const std::string&) override
    {
        const std::optional<QStringList> chosen = Next<QStringList>(NameFilters(filter));
        if (!chosen) {
            return std::nullopt;
        }
        std::vector<std::string> names;
        for (const QString& name : *chosen) {
            names.push_back(name.toStdString());
        }
        return names;
    }
    std::optional<std::string> AskFolder(const std::string& start) override
    {
        return Name(Next<QString>(QString::fromStdString(start)));
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string& start, bool confirm) override
    {
        return Name(Next<QString>(QVariantList{QString::fromStdString(start), confirm}));
    }
    std::optional<varnuth::FontChoice> AskFont(const varnuth::FontChoice& start, bool) override
    {
        const std::optional<QFont> chosen = Next<QFont>(FontOf(start));
        return chosen ? std::optional(ChoiceOf(*chosen)) : std::nullopt;
    }
    std::optional<std::int32_t> AskColour(std::int32_t from) override
    {
        const std::optional<QColor> chosen = Next<QColor>(UnpackColour(from));
        return chosen ? std::optional(PackColour(*chosen)) : std::nullopt;
    }
    bool AskYesNo(const std::string& question) override
    {
        return Next<bool>(QString::fromStdString(question)).value_or(false);
    }
    [[nodiscard]] varnuth::FontChoice DefaultFont() const override { return ChoiceOf(QGuiApplication::font()); }

    QVariantList answers; // the next dialogs' answers in order; an empty one cancels
    // Where each dialog started: an open dialog's name filters, a save dialog's name and overwrite prompt, a
    // question's text.
    QVariantList starts;

    // An unscripted dialog fails the test and cancels, instead of waiting for a person.
    template <typename Value>
    std::optional<Value> Next(const QVariant& start)
    {
        starts.push_back(start);
        if (answers.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not script";
            return std::nullopt;
        }
        const QVariant answer = answers.takeFirst();
        return answer.isValid() ? std::optional(answer.value<Value>()) : std::nullopt;
    }

private:
    static std::optional<std::string> Name(const std::optional<QString>& chosen)
    {
        return chosen ? std::optional(chosen->toStdString()) : std::nullopt;
    }
};

/// A shown window whose dialogs answer from a script and whose messages are kept, and a temporary folder.
class WindowTest : public testing::Test {
protected:
    WindowTest()
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<frmConvert>(
            std::move(scripted), [this](const std::string& text) { messages.push_back(text); },
            [this](std::uint64_t bytesRead) { onRunProgress(bytesRead); });
        window->show();
    }

    template <typename Control = QWidget>
    Control* Find(const char* name)
    {
        auto* control = window->findChild<Control*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QString Text(const char* box) { return Find<QLineEdit>(box)->text(); }
    bool Checked(const char* button) { return Find<QAbstractButton>(button)->isChecked(); }
    void Click(const char* button) { QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton); }
    // What the dialog actions show: the four boxes they fill, Bold and Italic, and the swatches as painted.
    QStringList Shown()
    {
        QStringList shown = {Text("txtSource"), Text("txtTarget"), Text("txtFont"), Text("txtSize")};
        shown << QString::number(int{Checked("Check1")}) + QString::number(int{Checked("Check2")});
        for (const char* name : {"shPrimary", "shSecondary", "shTertiary"}) {
            shown << Find(name)->grab().toImage().pixelColor(Find(name)->rect().center()).name();
        }
        return shown;
    }

    // Drops \p urls on \p control as a file manager does.
    static void DropUrls(QWidget* control, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control, &enter);
        EXPECT_TRUE(enter.isAccepted()) << control->objectName().toStdString();
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control, &drop);
    }
    static void DropFiles(QWidget* control, const QStringList& paths)
    {
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        DropUrls(control, urls);
    }
    void DropUrl(const char* box, const QUrl& url) { DropUrls(Find(box), {url}); }
    // Drops \p path on \p box; the box then holds its full name, spaces and all.
    void Drop(const char* box, const std::string& path)
    {
        DropUrl(box, QUrl::fromLocalFile(QString::fromStdString(path)));
        EXPECT_EQ(Text(box).toStdString(), path);
    }
    std::string Target() { return varnuth::test::ReadBytes(folder.PathOf("target.out")); }
    // Converts \p source, dropped on the window, into \p target in the folder, or into no name at all, and, if
    // asked, waits for the message.
    void Convert(const std::string& source, const std::string& target = "target.out", bool wait = true)
    {
        varnuth::test::WriteBytes(folder.PathOf("source file.txt"), source);
        Drop("txtSource", folder.PathOf("source file.txt"));
        target.empty() ? Find<QLineEdit>("txtTarget")->clear() : Drop("txtTarget", folder.PathOf(target));
        const std::size_t shownBefore = messages.size();
        Click("cmdConvert");
        EXPECT_TRUE(!wait || QTest::qWaitFor([&] { return messages.size() > shownBefore; }, kRunTimeoutMs));
    }

    static constexpr int kRunTimeoutMs = 10000;
    varnuth::test::TempFolder folder;
    // Set before the window, which may still call it while it ends a run.
    varnuth::RunProgressHook onRunProgress = [](std::uint64_t) {};
    std::unique_ptr<frmConvert> window;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<std::string> messages;
};

// The room the style leaves for a caption beside an indicator or inside a bevel.
int CaptionRoom(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement contents = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                        : qobject_cast<const QCheckBox*>(button)  ? QStyle::SE_CheckBoxContents
                                                                                  : QStyle::SE_PushButtonContents;
    return button->style()->subElementRect(contents, &option, button).width();
}

// With the font the set-up installs, no caption is cut off at 96 dpi. ctest runs this once more with that font
// hidden from fontconfig, naming it in VARNUTH_HIDDEN_FONT.
TEST_F(WindowTest, EveryCaptionFitsItsControl)
{
    const QString hidden = qEnvironmentVariable("VARNUTH_HIDDEN_FONT");
    if (!hidden.isEmpty()) {
        ASSERT_NE(QFontInfo(window->font()).family(), hidden);
    }
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), CaptionRoom(button))
            << button->text().toStdString();
    }
    for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        EXPECT_LT(frame->fontMetrics().horizontalAdvance(frame->title()), frame->width());
    }
}

// Tab skips the controls of disabled frames, and enters an option group at its selected button: so the stops also
// show that the format and alignment groups never change each other, and that Preview is there for SSA alone.
// Enter, on either key, presses the focused button as Space does.
TEST_F(WindowTest, FormatChoiceSetsTheFramesThatTabAndEnterReach)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_EQ(QApplication::focusWidget(), Find("txtSource"));
    Click("Option3");
    const QStringList top = {"txtSource", "cmdBrowse", "txtTarget", "cmdBrowse2", "cmdConvert", "cmdClose"};
    const QStringList frames = {"cmdFont",     "Check1",  "Check2",   "cmdPrimary", "cmdSecondary",
                                "cmdTertiary", "txtLeft", "txtRight", "txtBottom",  "Option3"};
    for (const char* option : {"Option4_0", "Option4_2", "Option4_0", "Option4_3", "Option4_3"}) {
        Click(option);
        const bool styled = Checked("Option4_0");
        const QStringList expected = top + (styled ? frames : QStringList()) + QStringList{option}
                                     + (styled ? QStringList{"cmdPreview"} : QStringList());
        Find("txtSource")->setFocus();
        QStringList stops;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            stops << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(stops, expected.mid(1) + QStringList{"txtSource"}) << option;
    }
    dialogs->answers = {QStringLiteral("/data/in.srt")};
    QTest::keyClick(Find("cmdBrowse"), Qt::Key_Return);
    EXPECT_EQ(Text("txtSource"), "/data/in.srt");
    QTest::keyClick(Find("cmdClose"), Qt::Key_Enter);
    EXPECT_FALSE(window->isVisible());
}

// One option per format row, in the table's order from left to right; the first three where they have always been.
// Each enables the style frames exactly when its format uses the style.
TEST_F(WindowTest, FormatOptionsAreTheTablesRows)
{
    const QList<QAbstractButton*> options = Find<QButtonGroup>("Option4")->buttons();
    ASSERT_EQ(static_cast<std::size_t>(options.size()), varnuth::kFormats.size());
    int right = 0;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const varnuth::FormatEntry& row = varnuth::kFormats[static_cast<std::size_t>(i)];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(options[i]->objectName(), QStringLiteral("Option4_%1").arg(row.optionIndex));
        EXPECT_EQ(options[i]->text().toStdString(), row.caption);
        EXPECT_GT(options[i]->x(), right);
        right = options[i]->geometry().right();
        Click(options[i]->objectName().toLatin1().constData());
        for (const char* frame : {"Frame1", "Frame2", "Frame3"}) {
            EXPECT_EQ(Find(frame)->isEnabled(), row.usesStyle) << frame;
        }
    }
    EXPECT_LT(right, Find("cmdConvert")->x());
    const auto onWindow = [&](const char* name) {
        return QRect(Find(name)->mapTo(window.get(), QPoint()), Find(name)->size());
    };
    EXPECT_EQ((QList<QRect>{onWindow("Option4_0"), onWindow("Option4_2"), onWindow("Option4_3")}),
              (QList<QRect>{{8, 224, 49, 25}, {64, 224, 89, 25}, {160, 224, 89, 25}}));
}

// What a screen reader announces for every control that can take the focus: a text box its label, a button
// something more than "...".
TEST_F(WindowTest, EveryFocusableControlHasAnAccessibleName)
{
    // Each text box, then the label it is announced by.
    const QStringList labelled = {"txtSource", "Source Filename:",
                                  "txtTarget", "Target Filename:",
                                  "txtFont",   "Font:",
                                  "txtSize",   "Size:",
                                  "txtLeft",   "Left margin, pixels",
                                  "txtRight",  "Right margin, pixels",
                                  "txtBottom", "Bottom margin, pixels"};
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        const qsizetype box = labelled.indexOf(control->objectName());
        if (box >= 0) {
            EXPECT_EQ(name, labelled[box + 1]) << labelled[box].toStdString();
        } else if (control->focusPolicy() != Qt::NoFocus && control->isVisible()) {
            EXPECT_TRUE(name.size() > 1 && name != "...") << control->objectName().toStdString();
        }
    }
}

// "Open with" starts the program with the files' names, which may be relative: they name the sources in full.
TEST_F(WindowTest, FilesOnTheCommandLineBecomeTheSource)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder.path().string()));
    window->openSources(SourceFilesOnCommandLine({"varnuth", "first file.srt", "second.srt"}));
    QDir::setCurrent(previous);
    const std::string both = "\"" + folder.PathOf("first file.srt") + "\" \"" + folder.PathOf("second.srt") + "\"";
    EXPECT_EQ(Text("txtSource").toStdString(), both);
    window->openSources(SourceFilesOnCommandLine({"varnuth"}));
    EXPECT_EQ(Text("txtSource").toStdString(), both);
}

// Beyond the names: each colour in words and number, kept up to date, the format group's name, the roles of the
// window and the swatches, and the "..." buttons' names as their tooltips. A disabled frame dims its swatches, whose
// colours stay.
TEST_F(WindowTest, ScreenReaderHearsTheColoursAndTheGroups)
{
    const auto accessible = [&](const char* name) { return QAccessible::queryAccessibleInterface(Find(name)); };
    dialogs->answers = {QColor(255, 0, 0)};
    Click("cmdSecondary");
    EXPECT_EQ((QStringList{accessible("cmdPrimary")->text(QAccessible::Description),
                           accessible("cmdSecondary")->text(QAccessible::Description),
                           accessible("shSecondary")->text(QAccessible::Name),
                           accessible("Option4_0")->parent()->text(QAccessible::Name)}),
              (QStringList{"white, 16777215", "red, 255", "red, 255", "Output format"}));
    Click("cmdPreview");
    EXPECT_EQ(
        (std::vector{QAccessible::queryAccessibleInterface(window.get())->role(), accessible("frmPreview")->role(),
                     accessible("shPrimary")->role(), accessible("Option4Group")->role()}),
        (std::vector{QAccessible::Window, QAccessible::Window, QAccessible::Graphic, QAccessible::Grouping}));
    for (const char* button : {"cmdBrowse", "cmdBrowse2", "cmdFont", "cmdPrimary", "cmdSecondary", "cmdTertiary"}) {
        EXPECT_EQ(Find(button)->toolTip(), accessible(button)->text(QAccessible::Name)) << button;
    }
    const QStringList bright = Shown().mid(5);
    Click("Option4_2");
    const QStringList dimmed = Shown().mid(5);
    for (qsizetype i = 0; i < bright.size(); ++i) {
        EXPECT_NE(dimmed[i], bright[i]) << i;
    }
    EXPECT_EQ(Find<ColourSwatch>("shSecondary")->fillColour(), QColor(Qt::red));
    Click("Option4_0");
    EXPECT_EQ(Shown().mid(5), (QStringList{"#ffffff", "#ff0000", "#ffffff"}));
}

TEST(CompactStyle, GivesWayToAStyleTheUserNames)
{
    const std::tuple<std::vector<const char*>, const char*, bool> cases[] = {
        {{"varnuth", "-style", "Windows"}, "", true},     {{"varnuth", "--style", "Windows"}, "", true},
        {{"varnuth", "-style=Windows"}, "", true},        {{"varnuth", "-style"}, "", false},
        {{"varnuth", "-stylesheet", "a.qss"}, "", false}, {{"varnuth", "file.srt"}, "Windows", true},
    };
    const QByteArray previous = qgetenv("QT_STYLE_OVERRIDE");
    for (const auto& [arguments, styleOverride, asked] : cases) {
        qputenv("QT_STYLE_OVERRIDE", styleOverride);
        EXPECT_EQ(StyleAskedFor(static_cast<int>(arguments.size()), arguments.data()), asked)
            << arguments.back() << " " << styleOverride;
    }
    qputenv("QT_STYLE_OVERRIDE", previous);
}

// A decimal comma would split the SSA style line into one field too many.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// Each cancel follows a confirmation in another dialog, whose value the shared dialog still holds. A font only ever
// ticks Bold and Italic, and its size is written with a point whatever the locale.
TEST_F(WindowTest, DialogsFillTheirBoxesAndACancelChangesNothing)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QFont sans(QStringLiteral("DejaVu Sans"), -1, QFont::Normal, true);
    sans.setPointSizeF(10.5);
    dialogs->answers << QStringLiteral("/data/in.srt") << QVariant() << QStringLiteral("/data/out.son") << QVariant()
                     << QFont(QStringLiteral("DejaVu Serif"), 24, QFont::Bold) << QVariant() << sans
                     << QColor(255, 0, 0) << QVariant() << QVariant();
    for (const char* button : {"cmdBrowse", "cmdBrowse2", "cmdBrowse2", "cmdBrowse", "cmdFont", "cmdFont", "cmdFont",
                               "cmdPrimary", "cmdSecondary", "cmdTertiary"}) {
        const bool cancelled = !dialogs->answers.front().isValid();
        const QStringList before = Shown();
        Click(button);
        EXPECT_TRUE(!cancelled || Shown() == before) << button;
    }
    QLocale::setDefault(QLocale::c());
    std::locale::global(previous);
    EXPECT_EQ(Shown(), (QStringList{"/data/in.srt", "/data/out.son", "DejaVu Sans", "10.5", "11", "#ff0000", "#ffffff",
                                    "#ffffff"}));
    // "All files" must also list names without a dot, which Qt's "*.*" would hide.
    EXPECT_EQ(dialogs->starts[0].toStringList(),
              (QStringList{"Subrip file (*.srt) (*.srt)", "Text file (*.txt) (*.txt)", "All files (*)"}));
    // Each dialog starts from what the last confirmed one left, but a font always from the same face.
    EXPECT_EQ(dialogs->starts[1].toList(), (QVariantList{"/data/in.srt", true}));
    EXPECT_EQ(dialogs->starts[6].value<QFont>(), QFont(QStringLiteral("VNI-Helve"), 24, QFont::Bold));
    EXPECT_EQ(dialogs->starts[8].value<QColor>(), QColor(Qt::red));
}

constexpr char kSubRip[] =
    "1\r\n00:00:01,000 --> 00:00:03,500\r\nHello\r\n\r\n2\r\n00:00:04,000 --> 00:00:05,000\r\nBye\r\n";
constexpr char kSonic[] = "0001  00:00:01:00  00:00:03:00  Hello\r\n\r\n0002  00:00:04:00  00:00:05:10  Bye\r\n";

// The SSA run takes the font and colours from the dialogs and the rest from the controls, and the window keeps the
// choices it made; the other formats follow, STL with the subtitles it wrote, then empty names, which convert
// nothing, and UTF-16 without a mark, which is decoded.
TEST_F(WindowTest, ConvertsWithTheWindowsChoicesAndSaysWhatHappened)
{
    dialogs->answers = {QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold), QColor(255, 0, 0), QColor(0, 255, 0),
                        QColor(0, 0, 255)};
    for (const char* button : {"cmdFont", "cmdPrimary", "cmdSecondary", "cmdTertiary", "Check2", "Option1"}) {
        Click(button);
    }
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral(" 5"));
    Find<QLineEdit>("txtBottom")->clear();
    // A line outside any entry, which the message must name below the count.
    const std::string subRip = std::string("stray\r\n") + kSubRip;
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"Option4_0", subRip.c_str(), "\r\nStyle: Default,DejaVu Sans,12,255,65280,16711680,0,-1,-1,2,0,1, 5,10,\r\n"},
        {"Option4_2", kSonic, "st_format\t2\r\n"},
        {"Option4_3", kSonic, "00:00:04:00\t,\t00:00:05:10\t,\tBye\r\n"}};
    for (const auto& [option, source, part] : cases) {
        Click(option);
        Convert(source);
        EXPECT_TRUE(Target().find(part) != std::string::npos) << option;
    }
    // An ASS margin must be a number: refused before anything is written, then converted once it is one.
    const std::string stl = Target();
    Click("Option4_4");
    Convert(kSubRip);
    EXPECT_EQ(Target(), stl);
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral("5"));
    Find<QLineEdit>("txtBottom")->setText(QStringLiteral("0"));
    Convert(kSubRip);
    EXPECT_NE(Target().find("\r\nStyle: Default,DejaVu Sans,12,&H000000FF,&H0000FF00,&H00FF0000,&H00000000,-1,-1,0,0,"
                            "100,100,0,0,1,2,0,1,5,10,0,1\r\n"),
              std::string::npos);
    const varnuth::StyleSettings& style = window->styleSettings();
    EXPECT_EQ(
        (std::vector{style.bold.TextForm(), style.italic, std::string(varnuth::AlignmentCode(style.txtAlignment))}),
        (std::vector<std::string>{"-1", "-1", "1"}));
    Convert(kSubRip, {});
    EXPECT_EQ(window->focusWidget(), Find("txtTarget"));
    Find<QLineEdit>("txtSource")->clear();
    Click("cmdConvert");
    Click("Option4_0");
    Convert(varnuth::test::Utf16(std::u16string(std::begin(kSubRip), std::end(kSubRip) - 1)).substr(2));
    const std::string dropped =
        "2 rows finished!!!\n\n1 source line was not converted:\nline 1: text outside an entry; dropped";
    const std::string margin = "The left margin must be a whole number from 0 to 9999 for an ASS script, not \" 5\"";
    EXPECT_EQ(messages, (std::vector<std::string>{
                            dropped, "2 rows finished!!!", "0 rows finished!!!\n2 subtitles written", margin,
                            "2 rows finished!!!", "Enter a target file name, or choose one with ...",
                            "Enter a source file name, or choose one with ...", "2 rows finished!!!"}));
    EXPECT_EQ(QDir(QString::fromStdString(folder.path().string())).entryList(QDir::Files),
              (QStringList{"source file.txt", "target.out"}));
}

// A slow source: the run stops at its first buffer until the test lets it go on (or gives up waiting). The
// progress dialog shows only while the window goes on handling events.
TEST_F(WindowTest, WindowStaysResponsiveDuringARunAndCancelEndsIt)
{
    Convert(kSubRip);
    const std::string previous = Target();
    std::promise<void> goOn;
    onRunProgress = [released = goOn.get_future().share()](std::uint64_t) {
        released.wait_for(std::chrono::milliseconds(kRunTimeoutMs));
    };
    Convert(varnuth::test::Repeated("1\r\n00:00:01,000 --> 00:00:02,000\r\nLine\r\n\r\n", 4000), "target.out", false);
    EXPECT_FALSE(Find("cmdConvert")->isEnabled());
    auto* progress = window->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisible(); }, kRunTimeoutMs));
    EXPECT_EQ(progress->labelText(), "Converting \"source file.txt\"...");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(progress->findChild<QProgressBar*>())->text(QAccessible::Name),
              "Conversion progress");
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    goOn.set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() == 2; }, kRunTimeoutMs));
    EXPECT_EQ(messages.back(), "Cancelled; the target file was not changed");
    EXPECT_EQ(Target(), previous);
    EXPECT_TRUE(Find("cmdConvert")->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
}

// Several sources, chosen together or dropped on either box or on the window, stand as a list that may be typed
// too; the target box then takes a folder, chosen from where the sources are, and every source converts into it.
TEST_F(WindowTest, SeveralSourcesConvertIntoAFolder)
{
    const QString into = QString::fromStdString(folder.PathOf("into"));
    QDir().mkdir(into);
    const QStringList sources = {QString::fromStdString(folder.PathOf("ep 01.srt")),
                                 QString::fromStdString(folder.PathOf("ep02.srt"))};
    for (const QString& source : sources) {
        varnuth::test::WriteBytes(source.toStdString(), kSubRip);
    }
    const QString list = "\"" + sources.join("\" \"") + "\"";
    dialogs->answers = {sources, into};
    Click("cmdBrowse");
    EXPECT_EQ(Text("txtSource"), list);
    for (QWidget* dropOn : {Find("txtTarget"), Find("txtSource"), static_cast<QWidget*>(window.get())}) {
        Find<QLineEdit>("txtSource")->clear();
        DropFiles(dropOn, sources);
        EXPECT_EQ(Text("txtSource"), list) << dropOn->objectName().toStdString();
        EXPECT_EQ(Text("txtTarget"), "");
    }
    Click("cmdBrowse2");
    EXPECT_EQ(dialogs->starts.back(), QString::fromStdString(folder.path().string()));
    EXPECT_EQ(Text("txtTarget"), into);
    Click("cmdConvert");
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() == 1; }, kRunTimeoutMs));
    EXPECT_EQ(messages.back(), "2 files converted:\n\nep 01.srt: 2 rows finished!!!\nep02.srt: 2 rows finished!!!");
    EXPECT_EQ(QDir(into).entryList(QDir::Files), (QStringList{"ep 01.ssa", "ep02.ssa"}));
    // Typed, with a file as the target: nothing starts.
    Find<QLineEdit>("txtSource")->setText(list + " \"" + sources.front() + "\"");
    Click("cmdConvert");
    EXPECT_EQ(messages.back(), "The sources \"" + sources.front().toStdString() + "\" and \""
                                   + sources.front().toStdString() + "\" would both write \""
                                   + (into + "/ep 01.ssa").toStdString() + "\"");
    // The closing message of a long batch scrolls below its count; a single file's keeps its plain box.
    const std::unique_ptr<QDialog> longBox = MakeMessageBox(window.get(), "30 files converted:\n\n" + std::string(30, '\n'));
    EXPECT_NE(longBox->findChild<QPlainTextEdit*>("messageList"), nullptr);
    const std::unique_ptr<QDialog> shortBox = MakeMessageBox(window.get(), "2 rows finished!!!");
    EXPECT_EQ(qobject_cast<QMessageBox*>(shortBox.get())->text(), "2 rows finished!!!");
}

// Cancel in the second of three files: the first stays converted, the second is left as it was, the third never
// starts, and the message says so of each.
TEST_F(WindowTest, CancelInABatchKeepsTheFilesFinished)
{
    const std::string into = folder.PathOf("into");
    QDir().mkdir(QString::fromStdString(into));
    const std::vector<std::string> names = {"a.srt", "big.srt", "c.srt"};
    QStringList sources;
    for (const std::string& name : names) {
        varnuth::test::WriteBytes(folder.PathOf(name), name == "big.srt" ? varnuth::test::Repeated(kSubRip, 4000) : kSubRip);
        sources << QString::fromStdString(folder.PathOf(name));
    }
    std::promise<void> goOn;
    onRunProgress = [released = goOn.get_future().share()](std::uint64_t bytesRead) {
        if (bytesRead >= varnuth::LineReader::kDefaultBufferSize) {
            released.wait_for(std::chrono::milliseconds(kRunTimeoutMs));
        }
    };
    window->openSources(sources);
    Find<QLineEdit>("txtTarget")->setText(QString::fromStdString(into));
    Click("cmdConvert");
    auto* progress = window->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisible() && progress->labelText() == "File 2 of 3: big.srt"; },
                                kRunTimeoutMs));
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    goOn.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() == 1; }, kRunTimeoutMs));
    EXPECT_EQ(messages.back(), "1 of 3 files converted, 2 failed:\n\na.srt: 2 rows finished!!!\n"
                               "big.srt: Cancelled; the target file was not changed\n"
                               "c.srt: Cancelled before it started; the target file was not changed");
    EXPECT_EQ(QDir(QString::fromStdString(into)).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ssa"});
}

// Convert pressed with Enter: the focus comes back to Convert after the message, so the next Enter converts again
// instead of pressing Close.
TEST_F(WindowTest, TheFocusReturnsToConvertAfterARun)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Convert(kSubRip);
    for (std::size_t run = 1; run <= 2; ++run) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() == 1U + run; }, kRunTimeoutMs));
        EXPECT_EQ(QApplication::focusWidget(), Find("cmdConvert"));
    }
    EXPECT_TRUE(window->isVisible());
}

// A typed or dropped name of an existing file is asked about once, as the save dialog would; No converts nothing.
// A name confirmed in the save dialog is not asked about again.
TEST_F(WindowTest, AnExistingTargetIsReplacedOnlyAfterAYes)
{
    varnuth::test::WriteBytes(folder.PathOf("target.out"), "keep me");
    const QString question = QString::fromStdString("\"" + folder.PathOf("target.out")
                                                    + "\" already exists.\nDo you want "
                                                      "to replace it?");
    dialogs->answers = {false, true};
    Convert(kSubRip, "target.out", false);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Target(), "keep me");
    Convert(kSubRip);
    Convert(kSubRip);
    EXPECT_EQ(dialogs->starts, (QVariantList{question, question}));
    EXPECT_EQ(messages, (std::vector<std::string>(2, "2 rows finished!!!")));
    varnuth::test::WriteBytes(folder.PathOf("chosen.ssa"), "keep me");
    dialogs->answers = {QString::fromStdString(folder.PathOf("chosen.ssa"))};
    Click("cmdBrowse2");
    Click("cmdConvert");
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() == 3; }, kRunTimeoutMs));
    EXPECT_EQ(dialogs->starts.size(), 3);
}

// Close during a run asks first: No lets the run finish, Yes stops it, leaves the target as it was and no temporary
// file, and closes the window without a message.
TEST_F(WindowTest, CloseDuringARunAsksBeforeStoppingIt)
{
    const std::string longSource = varnuth::test::Repeated("1\r\n00:00:01,000 --> 00:00:02,000\r\nLine\r\n\r\n", 4000);
    const QString question = QStringLiteral("A conversion is running. Stop it and close Varnuth?");
    std::string previous;
    for (const bool stop : {false, true}) {
        std::promise<void> goOn;
        onRunProgress = [released = goOn.get_future().share()](std::uint64_t) {
            released.wait_for(std::chrono::milliseconds(kRunTimeoutMs));
        };
        previous = Target();
        Convert(stop ? kSubRip + longSource : longSource, "target.out", false);
        dialogs->answers = {stop};
        Click("cmdClose");
        goOn.set_value();
        EXPECT_TRUE(QTest::qWaitFor([&] { return stop ? !window->isVisible() : !messages.empty(); }, kRunTimeoutMs));
    }
    EXPECT_EQ(dialogs->starts, (QVariantList{question, question}));
    EXPECT_EQ(messages, std::vector<std::string>{"4000 rows finished!!!"});
    EXPECT_EQ(Target(), previous);
    EXPECT_EQ(QDir(QString::fromStdString(folder.path().string())).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"source file.txt", "target.out"}));
}

// A pipe whose reader takes nothing holds the run in its write: Cancel ends it, and so does Close with a Yes.
TEST_F(WindowTest, ARunWaitingForAPipeEndsOnCancelAndClose)
{
    ASSERT_EQ(::mkfifo(folder.PathOf("pipe").c_str(), 0600), 0);
    const int reader = ::open(folder.PathOf("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    const std::string longSource = varnuth::test::Repeated("1\r\n00:00:01,000 --> 00:00:02,000\r\nLine\r\n\r\n", 4000);
    Convert(longSource, "pipe", false);
    auto* progress = window->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisible(); }, kRunTimeoutMs));
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(messages, std::vector<std::string>{"Cancelled"});
    Convert(longSource, "pipe", false);
    dialogs->answers = {true};
    Click("cmdClose");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, kRunTimeoutMs));
    ::close(reader);
}

// A dropped name keeps its exact bytes, UTF-8 or not; a line break pasted into a margin is refused before anything
// is written.
TEST_F(WindowTest, DroppedBytesAreKeptAndAMarginLineBreakIsRefused)
{
    const std::string latin1 = folder.PathOf("caf\xE9.srt");
    varnuth::test::WriteBytes(latin1, kSubRip);
    DropUrl("txtSource", QUrl(QStringLiteral("file://") + QByteArray::fromStdString(latin1).toPercentEncoding("/")));
    Drop("txtTarget", folder.PathOf("target.out"));
    Click("cmdConvert");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, kRunTimeoutMs));
    std::filesystem::remove(folder.PathOf("target.out"));
    QApplication::clipboard()->setText(
        QStringLiteral("5\r\n[Events]\r\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0,0,0,,INJECTED"));
    Find<QLineEdit>("txtLeft")->selectAll();
    Find<QLineEdit>("txtLeft")->paste();
    Click("cmdConvert");
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() == 2; }, kRunTimeoutMs));
    EXPECT_EQ(messages, (std::vector<std::string>{"2 rows finished!!!", "The left margin must not hold a line break"}));
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf("target.out")));
}

/// The preview opened from the window, and the frames it draws.
class PreviewTest : public WindowTest {
protected:
    // The frame once the changes made so far are drawn.
    QImage Frame()
    {
        auto* update = window->findChild<QTimer*>(QStringLiteral("previewUpdate"));
        EXPECT_TRUE(update != nullptr && QTest::qWaitFor([&] { return !update->isActive(); }, kRunTimeoutMs));
        return window->findChild<PreviewFrame*>()->image();
    }
    QString Note(const char* label) { return window->findChild<QLabel*>(QLatin1String(label))->text(); }
};

// Where the pixels of one colour are, within a few steps of each channel.
QRect Painted(const QImage& frame, QColor colour)
{
    QRect found;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QColor pixel = frame.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green())
                    + std::abs(pixel.blue() - colour.blue())
                < 24) {
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

// The sample text, drawn by libass in red: where the alignment and the margins put it, and never in the top half,
// bolder when Bold is ticked; every change arrives without a button.
TEST_F(PreviewTest, TextSitsWhereTheStyleSaysAndFollowsEveryChange)
{
    dialogs->answers = {QColor(255, 0, 0)};
    Click("cmdPrimary");
    Click("cmdPreview");
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    window->findChild<QWidget*>(QStringLiteral("frmPreview"))->resize(1000, 700);
    const QImage first = Frame();
    const int width = first.width();
    const int height = first.height();
    // Script pixels (384 x 288) in frame pixels.
    const auto across = [&](int pixels) { return pixels * width / 384; };
    const auto down = [&](int pixels) { return pixels * height / 288; };
    // The outline, and the glyphs' own side bearings, lie between a margin and the first red pixel.
    const int slack = across(10);
    const QRect centred = Painted(first, Qt::red);
    const std::tuple<const char*, std::function<void()>, std::function<bool(QRect)>> cases[] = {
        {"centre", [] {}, [&](QRect text) { return std::abs(text.center().x() - width / 2) < slack; }},
        {"left", [&] { Click("Option1"); }, [&](QRect text) { return std::abs(text.left() - across(10)) < slack; }},
        {"right", [&] { Click("Option3"); },
         [&](QRect text) { return std::abs(text.right() - (width - across(10))) < slack; }},
        {"bottom margin", [&] { Find<QLineEdit>("txtBottom")->setText(QStringLiteral("100")); },
         [&](QRect text) { return std::abs(text.bottom() - (height - down(100))) < slack; }},
        {"bold", [&] { Click("Option2"), Click("Check1"); },
         [&](QRect text) { return text.width() > centred.width() + slack; }},
    };
    for (const auto& [name, change, holds] : cases) {
        SCOPED_TRACE(name);
        change();
        const QRect text = Painted(Frame(), Qt::red);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_GT(text.top(), height / 2);
        EXPECT_TRUE(holds(text)) << text.x() << "," << text.y() << " " << text.width() << "x" << text.height();
    }
    // libass outlines an SSA script's text in its BackColour, always black here, and an ASS script's in Tertiary.
    dialogs->answers = {QColor(0, 0, 255)};
    Click("cmdTertiary");
    EXPECT_TRUE(Painted(Frame(), Qt::blue).isEmpty());
    Click("Option4_4");
    const QImage ass = Frame();
    const QRect outline = Painted(ass, Qt::blue);
    EXPECT_TRUE(outline.contains(Painted(ass, Qt::red))) << outline.x() << "," << outline.y();
    EXPECT_EQ(Note("previewFormatNote"), "");
}

// A source's entries one at a time, what the preview says in words, and a still dropped under the text.
TEST_F(PreviewTest, StepsThroughTheSourceAndSaysWhatItShows)
{
    varnuth::test::WriteBytes(folder.PathOf("three.srt"),
                              std::string(kSubRip) + "\r\n3\r\n00:00:06,000 --> 00:00:07,000\r\nLast one\r\n");
    Drop("txtSource", folder.PathOf("three.srt"));
    Click("cmdPreview");
    Frame();
    auto* frame = window->findChild<PreviewFrame*>();
    EXPECT_EQ(Note("previewEntry"), "Entry 1 of 3\n00:00:01,000 --> 00:00:03,500");
    EXPECT_EQ(Note("previewFontNote"), "VNI-Helve is not installed here; shown with DejaVu Sans");
    EXPECT_EQ(frame->accessibleDescription(),
              "Hello. Style: VNI-Helve 18 point, white text, at the bottom centre, margins 10 left, 10 right, 14 "
              "bottom.");
    Click("previewNext");
    Click("previewNext");
    Frame();
    EXPECT_EQ(Note("previewEntry"), "Entry 3 of 3\n00:00:06,000 --> 00:00:07,000");
    EXPECT_FALSE(Find("previewNext")->isEnabled());
    window->findChild<QSlider*>()->setValue(1);
    Frame();
    EXPECT_TRUE(frame->accessibleDescription().startsWith("Bye."));

    dialogs->answers = {QFont(QStringLiteral("DejaVu Serif"), 20)};
    Click("cmdFont");
    QImage green(64, 48, QImage::Format_RGB32);
    green.fill(Qt::green);
    QMimeData data;
    data.setImageData(green);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop);
    EXPECT_EQ(Frame().pixelColor(2, 2), QColor(Qt::green));
    EXPECT_EQ(Note("previewFontNote"), "");

    // An ASS script decodes a windows-1251 source as a whole, though one entry is too short to tell: the frame is
    // the one of the same text in UTF-8.
    Click("Option4_4");
    Drop("txtSource", std::string(VARNUTH_SCRIPTS) + "/cp1251.srt");
    const QImage decoded = Frame();
    EXPECT_TRUE(frame->accessibleDescription().startsWith(QStringLiteral("<i>Привет!</i> Как дела? / Сегодня")));
    EXPECT_TRUE(Note("previewFormatNote").contains("1251"));
    varnuth::test::WriteBytes(folder.PathOf("utf8.srt"),
                              "1\n00:00:01,000 --> 00:00:04,000\n<i>Привет!</i> Как дела?\n"
                              "Сегодня хорошая погода, правда?\n");
    Drop("txtSource", folder.PathOf("utf8.srt"));
    EXPECT_EQ(Frame(), decoded);
}

} // namespace

// The window tests need one application for the whole run, on a screen nobody sees.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UseCompactStyle();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
