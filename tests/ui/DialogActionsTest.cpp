#include "ColourSwatch.h"
#include "WindowFixture.h"

#include <QLocale>

#include <locale>

namespace {

using DialogActionsTest = WindowFixture;

QFont Font(const QString& family, double size, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPointSizeF(size);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

TEST_F(DialogActionsTest, BrowseTakesConfirmedNamesAndCancelChangesNothing)
{
    dialogs->Script(QStringLiteral("/data/in.srt"), kCancel, QStringLiteral("/data/out.son"));
    Click("cmdBrowse");
    Find<QLineEdit>("txtTarget")->setText(QStringLiteral("typed.ssa"));
    // Enter, on either key, presses the focused button as Space does.
    QTest::keyClick(Find("cmdBrowse2"), Qt::Key_Return);
    EXPECT_EQ(Text("txtSource"), "/data/in.srt");
    EXPECT_EQ(Text("txtTarget"), "typed.ssa");
    QTest::keyClick(Find("cmdBrowse2"), Qt::Key_Enter);
    EXPECT_EQ(Text("txtTarget"), "/data/out.son");
    ASSERT_EQ(dialogs->asked.size(), 3U);
    EXPECT_EQ(dialogs->asked[0].nameFilters,
              (QStringList{"Subrip file (*.srt) (*.srt)", "Text file (*.txt) (*.txt)", "All files (*)"}));
    EXPECT_EQ(dialogs->asked[1].nameFilters,
              (QStringList{"SSA script (*.ssa) (*.ssa)", "Fabsub Text (*.txt) (*.txt)",
                           "SON DVDMaestro (*.son) (*.son)", "STL DVDMaestro (*.stl) (*.stl)", "All files (*)"}));
    EXPECT_EQ(dialogs->asked[1].startName, "/data/in.srt");
    EXPECT_TRUE(dialogs->asked[1].confirmOverwrite);
}

TEST_F(DialogActionsTest, FontOnlyEverTicksBoldAndItalicAndCancelChangesNothing)
{
    dialogs->Script(Font("DejaVu Serif", 24, true), Font("DejaVu Sans", 12), kCancel);
    Click("cmdFont");
    EXPECT_TRUE(Checked("Check1"));
    EXPECT_FALSE(Checked("Check2"));
    Click("cmdFont");
    EXPECT_EQ(Text("txtFont"), "DejaVu Sans");
    EXPECT_EQ(window->styleSettings().str_fontname.TextForm(), "DejaVu Sans");
    EXPECT_TRUE(Checked("Check1"));
    EXPECT_EQ(window->styleSettings().bold.TextForm(), "0");
    Find<QAbstractButton>("Check1")->setChecked(false);
    Click("cmdFont");
    EXPECT_EQ(Text("txtFont"), "DejaVu Sans");
    EXPECT_EQ(window->styleSettings().str_fontname.TextForm(), "DejaVu Sans");
    EXPECT_EQ(Text("txtSize"), "12");
    EXPECT_FALSE(Checked("Check1"));
    // Every font dialog starts from the same face, with the size last confirmed.
    EXPECT_EQ(dialogs->asked[2].startFont.family(), "VNI-Helve");
    EXPECT_EQ(dialogs->asked[2].startFont.pointSizeF(), 12.0);
}

// A decimal comma would split the SSA style line into one field too many.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST_F(DialogActionsTest, FontSizeIsWrittenWithAPointWhateverTheLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const auto& [size, text] :
         {std::pair{10.5, "10.5"}, {18.0, "18"}, {7.123456789, "7.123457"}, {1234.5678, "1234.568"}}) {
        dialogs->Script(Font("DejaVu Sans", size));
        Click("cmdFont");
        EXPECT_EQ(Text("txtSize"), text);
        EXPECT_EQ(window->styleSettings().str_fontsize, text);
    }
    QLocale::setDefault(QLocale::c());
    std::locale::global(previous);
}

TEST_F(DialogActionsTest, ColourGoesToItsSettingAndSwatchAndCancelChangesNothing)
{
    const varnuth::StyleSettings& style = window->styleSettings();
    const struct {
        const char* button;
        const char* swatch;
        const varnuth::SettingValue& setting;
        QColor colour;
        const char* packed;
    } cases[] = {{"cmdPrimary", "shPrimary", style.primarycolor, QColor(255, 0, 0), "255"},
                 {"cmdSecondary", "shSecondary", style.secondarycolor, QColor(0, 255, 0), "65280"},
                 {"cmdTertiary", "shTertiary", style.tertiarycolor, QColor(0, 0, 255), "16711680"}};
    const auto expectFirstChosen = [&](std::size_t count) {
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            EXPECT_EQ(cases[i].setting.TextForm(), i < count ? cases[i].packed : "16777215") << cases[i].button;
            auto* swatch = Find<ColourSwatch>(cases[i].swatch);
            EXPECT_EQ(swatch->grab().toImage().pixelColor(swatch->rect().center()),
                      i < count ? cases[i].colour : QColor(Qt::white))
                << cases[i].swatch;
        }
    };
    for (std::size_t chosen = 0; chosen < std::size(cases); ++chosen) {
        dialogs->Script(kCancel, cases[chosen].colour);
        Click(cases[chosen].button);
        expectFirstChosen(chosen);
        Click(cases[chosen].button);
        expectFirstChosen(chosen + 1);
    }
    EXPECT_EQ(dialogs->asked.back().startColour, QColor(0, 255, 0));
}

} // namespace
