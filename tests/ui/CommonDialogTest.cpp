#include "CommonDialog.h"
#include "ScriptedDialogs.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(NameFilters, TurnsEachDescriptionAndPatternIntoOneQtFilter)
{
    EXPECT_EQ(NameFilters(QStringLiteral("Subrip file (*.srt)|*.srt|Text file (*.txt)|*.txt|All files|*.*")),
              (QStringList{"Subrip file (*.srt) (*.srt)", "Text file (*.txt) (*.txt)", "All files (*)"}));
    EXPECT_EQ(NameFilters(QStringLiteral("Scripts|*.ssa;*.son")), QStringList{"Scripts (*.ssa *.son)"});
}

TEST(NameFilters, AllFilesListsNamesWithoutADot)
{
    const QString all = NameFilters(QStringLiteral("All files|*.*")).front();
    const QString pattern = all.section(QLatin1Char('('), -1).chopped(1);
    EXPECT_TRUE(QRegularExpression::fromWildcard(pattern).match(QStringLiteral("README")).hasMatch());
}

TEST(ColourPacking, PutsRedLowAndBlueHigh)
{
    for (const auto& [colour, packed] : {std::pair{QColor(255, 0, 0), 255}, {QColor(0, 255, 0), 65280},
                                         {QColor(0, 0, 255), 16711680}, {QColor(255, 255, 255), 16777215},
                                         {QColor(0, 0, 0), 0}, {QColor(1, 2, 3), 197121}}) {
        EXPECT_EQ(PackColour(colour), packed) << colour.name().toStdString();
        EXPECT_EQ(UnpackColour(packed), colour) << packed;
    }
}

class CommonDialogTest : public testing::Test {
protected:
    CommonDialogTest()
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        dialog = std::make_unique<CommonDialog>(std::move(scripted));
    }

    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<CommonDialog> dialog;
};

TEST_F(CommonDialogTest, SaveAsksBeforeOverwritingOnlyWithFlagTwo)
{
    dialogs->answers = {ScriptedDialogs::Cancel{}, ScriptedDialogs::Cancel{}, ScriptedDialogs::Cancel{}};
    for (const std::int32_t flags : {0, 1, 2}) {
        dialog->Flags = flags;
        EXPECT_FALSE(dialog->ShowSave());
    }
    ASSERT_EQ(dialogs->questions.size(), 3U);
    EXPECT_FALSE(dialogs->questions[0].confirmOverwrite);
    EXPECT_FALSE(dialogs->questions[1].confirmOverwrite);
    EXPECT_TRUE(dialogs->questions[2].confirmOverwrite);
}

TEST_F(CommonDialogTest, KeepsItsValuesAcrossUsesAndCancels)
{
    dialogs->answers = {QString("/data/a.srt"), ScriptedDialogs::Cancel{}, QColor(0, 0, 255),
                        ScriptedDialogs::Cancel{}};
    EXPECT_TRUE(dialog->ShowOpen());
    EXPECT_FALSE(dialog->ShowSave());
    EXPECT_EQ(dialog->FileName, "/data/a.srt");
    EXPECT_TRUE(dialog->ShowColor());
    EXPECT_FALSE(dialog->ShowColor());
    EXPECT_EQ(dialog->Color, 16711680);
    EXPECT_EQ(dialogs->questions[1].startName, "/data/a.srt");
    EXPECT_EQ(dialogs->questions[3].startColour, QColor(0, 0, 255));
}

TEST_F(CommonDialogTest, FontStartsFromTheHeldValuesAndTakesTheChoice)
{
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSizeF(10.5);
    chosen.setItalic(true);
    dialogs->answers = {chosen, ScriptedDialogs::Cancel{}};
    dialog->FontName = QStringLiteral("VNI-Helve");
    dialog->FontBold = true;
    EXPECT_TRUE(dialog->ShowFont());
    EXPECT_EQ(dialogs->questions[0].startFont.family(), "VNI-Helve");
    EXPECT_TRUE(dialogs->questions[0].startFont.bold());
    EXPECT_EQ(dialog->FontName, "DejaVu Serif");
    EXPECT_EQ(dialog->FontSize, 10.5F);
    EXPECT_FALSE(dialog->FontBold);
    EXPECT_TRUE(dialog->FontItalic);
    EXPECT_FALSE(dialog->ShowFont());
    EXPECT_EQ(dialog->FontName, "DejaVu Serif");
    EXPECT_EQ(dialogs->questions[1].startFont.pointSizeF(), 10.5);
}

} // namespace
