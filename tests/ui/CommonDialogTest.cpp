#include "CommonDialog.h"
#include "WindowFixture.h"

namespace {

TEST(CommonDialog, TurnsFilterTextIntoQtNameFilters)
{
    // "All files" must also list names without a dot, which "*.*" would hide.
    EXPECT_EQ(NameFilters(QStringLiteral("Subrip file (*.srt)|*.srt|Scripts|*.ssa;*.son|All files|*.*")),
              (QStringList{"Subrip file (*.srt) (*.srt)", "Scripts (*.ssa *.son)", "All files (*)"}));
}

TEST(CommonDialog, PacksColoursRedLowBlueHigh)
{
    for (const auto& [colour, packed] : {std::pair{QColor(255, 0, 0), 255},
                                         {QColor(0, 255, 0), 65280},
                                         {QColor(0, 0, 255), 16711680},
                                         {QColor(255, 255, 255), 16777215},
                                         {QColor(1, 2, 3), 197121}}) {
        EXPECT_EQ(PackColour(colour), packed);
        EXPECT_EQ(UnpackColour(packed), colour);
    }
}

TEST(CommonDialog, SaveAsksBeforeOverwritingOnlyWithFlagTwo)
{
    auto scripted = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *scripted;
    CommonDialog dialog(std::move(scripted), nullptr);
    for (const std::int32_t flags : {0, 1, 2}) {
        dialogs.Script(kCancel);
        dialog.Flags = flags;
        EXPECT_FALSE(dialog.ShowSave());
        EXPECT_EQ(dialogs.asked.back().confirmOverwrite, flags == 2);
    }
}

} // namespace
