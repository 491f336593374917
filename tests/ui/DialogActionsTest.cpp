#include "ColourSwatch.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>

#include <locale>

namespace {

using DialogActionsTest = WindowFixture;
using Cancel = ScriptedDialogs::Cancel;

QFont Font(const QString& family, double size, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPointSizeF(size);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

TEST_F(DialogActionsTest, BrowseFillsTheNameBoxesFromConfirmedDialogs)
{
    dialogs->answers = {QString("/data/in.srt"), QString("/data/out.son")};
    Click("cmdBrowse");
    Click("cmdBrowse2");
    EXPECT_EQ(Find<QLineEdit>("txtSource")->text(), "/data/in.srt");
    EXPECT_EQ(Find<QLineEdit>("txtTarget")->text(), "/data/out.son");
    ASSERT_EQ(dialogs->questions.size(), 2U);
    EXPECT_EQ(dialogs->questions[0].nameFilters,
              (QStringList{"Subrip file (*.srt) (*.srt)", "Text file (*.txt) (*.txt)", "All files (*)"}));
    EXPECT_EQ(dialogs->questions[0].startName, "");
    EXPECT_EQ(dialogs->questions[1].nameFilters,
              (QStringList{"SSA script (*.ssa) (*.ssa)", "Fabsub Text (*.txt) (*.txt)",
                           "SON DVDMaestro (*.son) (*.son)", "STL DVDMaestro (*.stl) (*.stl)", "All files (*)"}));
    EXPECT_EQ(dialogs->questions[1].startName, "/data/in.srt");
    EXPECT_TRUE(dialogs->questions[1].confirmOverwrite);
}

TEST_F(DialogActionsTest, CancelledBrowseChangesNoBox)
{
    dialogs->answers = {QString("/data/in.srt"), Cancel{}, Cancel{}};
    Click("cmdBrowse");
    Find<QLineEdit>("txtTarget")->setText(QStringLiteral("typed.ssa"));
    Click("cmdBrowse2");
    Click("cmdBrowse");
    EXPECT_EQ(Find<QLineEdit>("txtSource")->text(), "/data/in.srt");
    EXPECT_EQ(Find<QLineEdit>("txtTarget")->text(), "typed.ssa");
}

TEST_F(DialogActionsTest, ConfirmedFontOnlyEverTicksBoldAndItalic)
{
    dialogs->answers = {Font("DejaVu Serif", 24, true, false), Font("DejaVu Sans", 12, false, false)};
    Click("cmdFont");
    EXPECT_EQ(Find<QLineEdit>("txtFont")->text(), "DejaVu Serif");
    EXPECT_EQ(Find<QLineEdit>("txtSize")->text(), "24");
    EXPECT_TRUE(Find<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("Check2")->isChecked());
    Click("cmdFont");
    EXPECT_EQ(window->styleSettings().str_fontname.TextForm(), "DejaVu Sans");
    EXPECT_EQ(window->styleSettings().str_fontsize, "12");
    EXPECT_TRUE(Find<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(window->styleSettings().bold.TextForm(), "0");
    // Every font dialog starts from the same face, with the size last confirmed.
    EXPECT_EQ(dialogs->questions[1].startFont.family(), "VNI-Helve");
    EXPECT_EQ(dialogs->questions[1].startFont.pointSizeF(), 24.0);
}

TEST_F(DialogActionsTest, CancelledFontChangesNothing)
{
    dialogs->answers = {Font("DejaVu Serif", 24, true, true), Cancel{}};
    Click("cmdFont");
    Find<QCheckBox>("Check1")->setChecked(false);
    Click("cmdFont");
    EXPECT_EQ(Find<QLineEdit>("txtFont")->text(), "DejaVu Serif");
    EXPECT_EQ(window->styleSettings().str_fontname.TextForm(), "DejaVu Serif");
    EXPECT_EQ(window->styleSettings().str_fontsize, "24");
    EXPECT_FALSE(Find<QCheckBox>("Check1")->isChecked());
}

// A decimal comma from the user's locale would split the SSA style line into one field too many.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST_F(DialogActionsTest, FontSizeIsWrittenWithAPointWhateverTheLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const auto& [size, text] : {std::pair{10.5, "10.5"}, {18.0, "18"}, {12.25, "12.25"}, {7.123456789, "7.123457"},
                                     {1234.5678, "1234.568"}}) {
        dialogs->answers = {Font("DejaVu Sans", size)};
        Click("cmdFont");
        EXPECT_EQ(Find<QLineEdit>("txtSize")->text(), text);
        EXPECT_EQ(window->styleSettings().str_fontsize, text);
    }
    QLocale::setDefault(QLocale::c());
    std::locale::global(previous);
}

TEST_F(DialogActionsTest, ConfirmedColourGoesToItsSettingAndSwatchOnly)
{
    struct Case {
        const char* button;
        const char* swatch;
        std::function<std::string(const varnuth::StyleSettings&)> setting;
    };
    const Case cases[] = {
        {"cmdPrimary", "shPrimary", [](const auto& style) { return style.primarycolor.TextForm(); }},
        {"cmdSecondary", "shSecondary", [](const auto& style) { return style.secondarycolor.TextForm(); }},
        {"cmdTertiary", "shTertiary", [](const auto& style) { return style.tertiarycolor.TextForm(); }},
    };
    const std::pair<QColor, std::string> colours[] = {{QColor(255, 0, 0), "255"}, {QColor(0, 255, 0), "65280"},
                                                      {QColor(0, 0, 255), "16711680"}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        dialogs->answers = {colours[i].first};
        Click(cases[i].button);
        for (std::size_t j = 0; j < std::size(cases); ++j) {
            const bool chosen = j <= i;
            EXPECT_EQ(cases[j].setting(window->styleSettings()), chosen ? colours[j].second : "16777215")
                << cases[i].button << " " << cases[j].swatch;
            ColourSwatch* swatch = Find<ColourSwatch>(cases[j].swatch);
            const QColor shown = swatch->grab().toImage().pixelColor(swatch->width() / 2, swatch->height() / 2);
            EXPECT_EQ(shown, chosen ? colours[j].first : QColor(Qt::white)) << cases[j].swatch;
        }
    }
}

TEST_F(DialogActionsTest, CancelledColourChangesNothing)
{
    dialogs->answers = {Cancel{}, QColor(0, 255, 0), Cancel{}};
    Click("cmdPrimary");
    EXPECT_EQ(window->styleSettings().primarycolor.TextForm(), "16777215");
    EXPECT_EQ(Find<ColourSwatch>("shPrimary")->fillColour(), QColor(Qt::white));
    Click("cmdSecondary");
    Click("cmdTertiary");
    EXPECT_EQ(window->styleSettings().tertiarycolor.TextForm(), "16777215");
    EXPECT_EQ(Find<ColourSwatch>("shTertiary")->fillColour(), QColor(Qt::white));
    EXPECT_EQ(dialogs->questions[2].startColour, QColor(0, 255, 0));
}

} // namespace
