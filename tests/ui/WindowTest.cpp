#include "ColourSwatch.h"
#include "CompactStyle.h"
#include "DialogHost.h"
#include "frmConvert.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <future>
#include <locale>
#include <map>

namespace {

/// Answers each dialog from a script instead of a person, and keeps where each dialog started.
class ScriptedDialogs final : public DialogHost {
public:
    std::optional<QString> AskOpenFileName(QWidget* parent, const QStringList& filters, const QString& start) override
    {
        nameFilters = filters;
        return Next<QString>(parent, start);
    }
    std::optional<QString> AskSaveFileName(QWidget* parent, const QStringList&, const QString& start,
                                           bool confirm) override
    {
        confirmOverwrite = confirm;
        return Next<QString>(parent, start);
    }
    std::optional<QFont> AskFont(QWidget* parent, const QFont& start) override { return Next<QFont>(parent, start); }
    std::optional<QColor> AskColour(QWidget* parent, const QColor& from) override { return Next<QColor>(parent, from); }

    std::deque<QVariant> answers; // the next dialogs' answers in order; an empty one cancels
    std::vector<QVariant> starts;
    QStringList nameFilters;       // of the last open dialog
    bool confirmOverwrite = false; // of the last save dialog
    QWidget* window = nullptr;

private:
    // An unscripted dialog fails the test and cancels, instead of waiting for a person.
    template <typename Value>
    std::optional<Value> Next(QWidget* parent, const QVariant& start)
    {
        EXPECT_EQ(parent, window) << "a dialog not shown over the window that asked";
        starts.push_back(start);
        if (answers.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not script";
            return std::nullopt;
        }
        const QVariant answer = answers.front();
        answers.pop_front();
        return answer.isValid() ? std::optional(answer.value<Value>()) : std::nullopt;
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
        dialogs->window = window.get();
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
    QColor Painted(const char* swatch)
    {
        return Find(swatch)->grab().toImage().pixelColor(Find(swatch)->rect().center());
    }

    QString Path(const char* name) const { return QDir(folder.path()).filePath(QLatin1String(name)); }
    QByteArray Read(const char* name)
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    // Starts a run from \p source into \p target and, unless told not to, waits for its message.
    void Convert(const QByteArray& source, const QString& target, bool wait = true)
    {
        QFile file(Path("source.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(source) == source.size());
        file.close();
        Find<QLineEdit>("txtSource")->setText(file.fileName());
        Find<QLineEdit>("txtTarget")->setText(target);
        const std::size_t shownBefore = messages.size();
        Click("cmdConvert");
        EXPECT_TRUE(!wait || QTest::qWaitFor([&] { return messages.size() > shownBefore; }, kRunTimeoutMs));
    }

    static constexpr int kRunTimeoutMs = 10000;
    QTemporaryDir folder;
    // Set before the window, which may still call it while it ends a run.
    RunProgressHook onRunProgress = [](std::uint64_t) {};
    std::unique_ptr<frmConvert> window;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<std::string> messages;
};

QFont Font(const QString& family, double size, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPointSizeF(size);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

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

// The two option groups never touch each other, and disabled frames keep what they hold.
TEST_F(WindowTest, FormatClickSetsTheFramesAndKeepsTheirValues)
{
    Click("Check1");
    Click("Option3");
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral("7"));
    for (const auto& [option, enabled] : {std::pair{"Option4_2", false},
                                          {"Option4_0", true},
                                          {"Option4_3", false},
                                          {"Option4_3", false},
                                          {"Option4_0", true}}) {
        Click(option);
        for (const char* frame : {"Frame1", "Frame2", "Frame3"}) {
            EXPECT_EQ(Find(frame)->isEnabled(), enabled) << option << " " << frame;
        }
        EXPECT_TRUE(Checked("Check1") && Checked("Option3") && Checked(option) && Text("txtLeft") == "7") << option;
    }
    Click("Option1");
    EXPECT_TRUE(Checked("Option4_0"));
}

std::vector<std::string> TabStops(std::size_t count)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        names.push_back(QApplication::focusWidget()->objectName().toStdString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return names;
}

// A group of option buttons is one stop, entered at its selected button. Enter, on either key, presses the focused
// button as Space does.
TEST_F(WindowTest, KeyboardFollowsTheFocusOrderSkipsDisabledFramesAndEnterPresses)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_EQ(QApplication::focusWidget(), Find("txtSource"));
    const std::vector<std::string> ssa = {"txtSource",    "cmdBrowse",   "txtTarget", "cmdBrowse2", "cmdConvert",
                                          "cmdClose",     "cmdFont",     "Check1",    "Check2",     "cmdPrimary",
                                          "cmdSecondary", "cmdTertiary", "txtLeft",   "txtRight",   "txtBottom",
                                          "Option2",      "Option4_0",   "txtSource"};
    EXPECT_EQ(TabStops(ssa.size()), ssa);
    Click("Option4_3");
    Find("txtSource")->setFocus();
    const std::vector<std::string> stl = {"txtSource",  "cmdBrowse", "txtTarget", "cmdBrowse2",
                                          "cmdConvert", "cmdClose",  "Option4_3", "txtSource"};
    EXPECT_EQ(TabStops(stl.size()), stl);
    dialogs->answers = {QStringLiteral("/data/in.srt")};
    QTest::keyClick(Find("cmdBrowse"), Qt::Key_Return);
    EXPECT_EQ(Text("txtSource"), "/data/in.srt");
    QTest::keyClick(Find("cmdClose"), Qt::Key_Enter);
    EXPECT_FALSE(window->isVisible());
}

// What a screen reader announces for every control that can take the focus: a text box its label, a button
// something more than "...".
TEST_F(WindowTest, EveryFocusableControlHasAnAccessibleName)
{
    const std::map<std::string, QString> labelled = {{"txtSource", "Source Filename:"},
                                                     {"txtTarget", "Target Filename:"},
                                                     {"txtFont", "Font:"},
                                                     {"txtSize", "Size:"},
                                                     {"txtLeft", "Left:"},
                                                     {"txtRight", "Right:"},
                                                     {"txtBottom", "Bottom:"}};
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        const std::string objectName = control->objectName().toStdString();
        if (labelled.contains(objectName)) {
            EXPECT_EQ(name, labelled.at(objectName)) << objectName;
        } else if (control->focusPolicy() != Qt::NoFocus && control->isVisible()) {
            EXPECT_TRUE(name.size() > 1 && name != "...") << objectName;
        }
    }
}

TEST(CompactStyle, GivesWayToAStyleTheUserNames)
{
    const struct {
        std::vector<const char*> arguments;
        const char* styleOverride;
        bool asked;
    } cases[] = {
        {{"varnuth"}, "", false},
        {{"varnuth", "-style", "Windows"}, "", true},
        {{"varnuth", "--style", "Windows"}, "", true},
        {{"varnuth", "-style=Windows"}, "", true},
        {{"varnuth", "--style=Windows"}, "", true},
        {{"varnuth", "-style"}, "", false},
        {{"varnuth", "-stylesheet", "a.qss"}, "", false},
        {{"varnuth", "file.srt"}, "Windows", true},
    };
    const QByteArray previous = qgetenv("QT_STYLE_OVERRIDE");
    for (const auto& c : cases) {
        qputenv("QT_STYLE_OVERRIDE", c.styleOverride);
        EXPECT_EQ(StyleAskedFor(static_cast<int>(c.arguments.size()), c.arguments.data()), c.asked)
            << c.arguments.back() << " " << c.styleOverride;
    }
    qputenv("QT_STYLE_OVERRIDE", previous);
}

TEST_F(WindowTest, DroppedFileGivesItsFullName)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/user/My Films/part one.srt"))});
    for (const char* box : {"txtSource", "txtTarget"}) {
        Find<QLineEdit>(box)->setText(QStringLiteral("old"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Find(box), &enter);
        EXPECT_TRUE(enter.isAccepted()) << box;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Find(box), &drop);
        EXPECT_EQ(Text(box), "/home/user/My Films/part one.srt") << box;
    }
}

// A decimal comma would split the SSA style line into one field too many.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// Everything a dialog action may show.
QStringList Shown(const QWidget* window)
{
    QStringList shown;
    for (const QLineEdit* box : window->findChildren<QLineEdit*>()) {
        shown << box->text();
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        shown << QString::number(static_cast<int>(button->isChecked()));
    }
    for (const ColourSwatch* swatch : window->findChildren<ColourSwatch*>()) {
        shown << swatch->fillColour().name();
    }
    return shown;
}

// Each cancel follows a confirmation in another dialog, whose value the shared dialog still holds. A font only ever
// ticks Bold and Italic, and its size is written with a point whatever the locale.
TEST_F(WindowTest, DialogsFillTheirBoxesAndACancelChangesNothing)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    dialogs->answers = {QStringLiteral("/data/in.srt"),
                        {},
                        QStringLiteral("/data/out.son"),
                        {},
                        Font("DejaVu Serif", 24, true),
                        {},
                        Font("DejaVu Sans", 10.5, false, true),
                        QColor(255, 0, 0),
                        {},
                        {}};
    for (const char* button : {"cmdBrowse", "cmdBrowse2", "cmdBrowse2", "cmdBrowse", "cmdFont", "cmdFont", "cmdFont",
                               "cmdPrimary", "cmdSecondary", "cmdTertiary"}) {
        const bool cancel = !dialogs->answers.front().isValid();
        const QStringList before = Shown(window.get());
        Click(button);
        EXPECT_TRUE(!cancel || Shown(window.get()) == before) << button;
    }
    QLocale::setDefault(QLocale::c());
    std::locale::global(previous);
    EXPECT_EQ((QStringList{Text("txtSource"), Text("txtTarget"), Text("txtFont"), Text("txtSize")}),
              (QStringList{"/data/in.srt", "/data/out.son", "DejaVu Sans", "10.5"}));
    EXPECT_TRUE(Checked("Check1") && Checked("Check2"));
    EXPECT_EQ((std::vector{Painted("shPrimary"), Painted("shSecondary")}), (std::vector<QColor>{Qt::red, Qt::white}));
    // "All files" must also list names without a dot, which Qt's "*.*" would hide.
    EXPECT_EQ(dialogs->nameFilters,
              (QStringList{"Subrip file (*.srt) (*.srt)", "Text file (*.txt) (*.txt)", "All files (*)"}));
    EXPECT_TRUE(dialogs->confirmOverwrite);
    // Each dialog starts from what the last confirmed one left, but a font always from the same face.
    EXPECT_EQ(dialogs->starts[1].toString(), "/data/in.srt");
    EXPECT_EQ(dialogs->starts[6].value<QFont>().family(), "VNI-Helve");
    EXPECT_EQ(dialogs->starts[6].value<QFont>().pointSizeF(), 24.0);
    EXPECT_EQ(dialogs->starts[8].value<QColor>(), QColor(Qt::red));
}

constexpr char kSubRip[] = "1\r\n00:00:01,000 --> 00:00:03,500\r\nHello\r\nWorld\r\n\r\n"
                           "2\r\n00:00:04,000 --> 00:00:05,000\r\nBye\r\n";
constexpr char kSonic[] = "0001  00:00:01:00  00:00:03:00  Hello\r\n\r\n0002  00:00:04:00  00:00:05:10  Bye\r\n";

TEST_F(WindowTest, ConvertsInTheChosenFormatAndShowsTheCount)
{
    const struct {
        const char* option;
        const char* source;
        const char* part;
        const char* message;
    } cases[] = {{"Option4_0", kSubRip, "\r\nDialogue: Marked=0,0:00:04.00,0:00:05.00,", "2 rows finished!!!"},
                 {"Option4_2", kSonic, "st_format\t2\r\n", "2 rows finished!!!"},
                 {"Option4_3", kSonic, "00:00:04:00\t,\t00:00:05:10\t,\tBye\r\n", "0 rows finished!!!"}};
    for (const auto& c : cases) {
        messages.clear();
        Click(c.option);
        Convert(c.source, Path("target.out"));
        EXPECT_TRUE(Read("target.out").contains(c.part)) << c.option;
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.option;
    }
    Convert(kSubRip, {});
    EXPECT_EQ(messages.back(), "0 rows finished!!!");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"source.txt", "target.out"}));
}

// The run takes the font and colours from the dialogs, the rest from the controls, and the window keeps the
// choices the run made.
TEST_F(WindowTest, ConvertTakesTheStyleChoicesAndKeepsThem)
{
    dialogs->answers = {Font("DejaVu Sans", 12, true), QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    for (const char* button : {"cmdFont", "cmdPrimary", "cmdSecondary", "cmdTertiary", "Check2", "Option1"}) {
        Click(button);
    }
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral(" 5"));
    Find<QLineEdit>("txtBottom")->clear();
    Convert(kSubRip, Path("target.out"));
    EXPECT_TRUE(
        Read("target.out").contains("\r\nStyle: Default,DejaVu Sans,12,255,65280,16711680,0,-1,-1,2,0,1, 5,10,\r\n"));
    const varnuth::StyleSettings& style = window->styleSettings();
    EXPECT_EQ((std::vector{style.bold.TextForm(), style.italic, style.txtAlignment}),
              (std::vector<std::string>{"-1", "-1", "1"}));
}

// A slow source: the run stops at its first buffer until the test lets it go on (or gives up waiting). The
// progress dialog shows only while the window goes on handling events.
TEST_F(WindowTest, WindowStaysResponsiveDuringARunAndCancelEndsIt)
{
    QByteArray source;
    for (int entry = 1; entry <= 4000; ++entry) {
        source += QByteArray::number(entry) + "\r\n00:00:01,000 --> 00:00:02,000\r\nLine\r\n\r\n";
    }
    std::promise<void> goOn;
    onRunProgress = [released = goOn.get_future().share()](std::uint64_t) {
        released.wait_for(std::chrono::milliseconds(kRunTimeoutMs));
    };
    QFile target(Path("target.out"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly) && target.write("keep me") == 7);
    target.close();
    Convert(source, target.fileName(), false);
    EXPECT_FALSE(Find("cmdConvert")->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::BusyCursor);
    auto* progress = window->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisible(); }, kRunTimeoutMs));
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    goOn.set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(messages, std::vector<std::string>{"Cancelled; the target file was not changed"});
    EXPECT_EQ(Read("target.out"), "keep me");
    EXPECT_TRUE(Find("cmdConvert")->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
}

} // namespace
