#include "WindowActions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <future>
#include <thread>
#include <variant>

namespace varnuth {
namespace {

/// Controls as plain values.
class FakeView final : public WindowView {
public:
    [[nodiscard]] std::string Text(Box box) const override { return boxes.at(static_cast<std::size_t>(box)); }
    void SetText(Box box, const std::string& text) override { boxes.at(static_cast<std::size_t>(box)) = text; }
    void Focus(Box box) override { focused = box; }
    [[nodiscard]] CheckState Check(StyleCheck check) const override
    {
        return checks.at(static_cast<std::size_t>(check));
    }
    void Tick(StyleCheck check) override { checks.at(static_cast<std::size_t>(check)) = CheckState::Checked; }
    [[nodiscard]] int Alignment() const override { return alignment; }
    void SelectAlignment(int value) override { alignment = value; }
    [[nodiscard]] int FormatOption() const override { return 0; }
    void EnableStyleFrames(bool enabled) override { styled = enabled; }
    void FillSwatch(ColourRow row, std::int32_t colour) override
    {
        swatches.at(static_cast<std::size_t>(row)) = colour;
    }

    std::array<std::string, 7> boxes;
    std::array<CheckState, 2> checks{};
    int alignment = kNoAlignment;
    bool styled = true;
    std::array<std::int32_t, 3> swatches{};
    std::optional<Box> focused;
};

using Answer = std::variant<std::monostate, std::string, std::vector<std::string>, FontChoice, std::int32_t, bool>;

/// Answers each dialog from a script and notes where it started; an empty answer cancels.
class ScriptedHost final : public DialogHost {
public:
    std::optional<std::string> AskOpenFileName(const std::string&, const std::string& start) override
    {
        return Next<std::string>("open " + start);
    }
    std::optional<std::vector<std::string>> AskOpenFileNames(const std::string& filter,
                                                             const std::string& start) override
    {
        return Next<std::vector<std::string>>("open " + filter + " at " + start);
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string& start, bool confirm) override
    {
        return Next<std::string>("save at " + start + (confirm ? ", asking" : ""));
    }
    std::optional<std::string> AskFolder(const std::string& start) override
    {
        return Next<std::string>("folder at " + start);
    }
    std::optional<FontChoice> AskFont(const FontChoice& start, bool screenOnly) override
    {
        return Next<FontChoice>("font " + start.name + ' ' + FontSizeText(start.size) + (screenOnly ? ", screen" : ""));
    }
    std::optional<std::int32_t> AskColour(std::int32_t start) override
    {
        return Next<std::int32_t>("colour " + std::to_string(start));
    }
    bool AskYesNo(const std::string& question) override
    {
        if (whileAsking) {
            whileAsking();
        }
        return Next<bool>(question).value_or(false);
    }
    [[nodiscard]] FontChoice DefaultFont() const override { return {"Sans", 9.0F}; }

    std::deque<Answer> answers;
    std::vector<std::string> asked;
    std::function<void()> whileAsking; // what happens while a question is open

private:
    template <typename Value>
    std::optional<Value> Next(const std::string& start)
    {
        asked.push_back(start);
        if (answers.empty()) {
            ADD_FAILURE() << "an unscripted dialog: " << start;
            return std::nullopt;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return std::holds_alternative<Value>(answer) ? std::optional(std::get<Value>(answer)) : std::nullopt;
    }
};

class WindowActionsTest : public testing::Test {
protected:
    WindowActionsTest()
        : actions(
            view, std::make_unique<ScriptedHost>(), [this](const std::string& text) { messages.push_back(text); },
            [this] { finished.set_value(std::this_thread::get_id()); }, [this](std::uint64_t) { mayGoOn.wait(); })
    {
        dialogs = static_cast<ScriptedHost*>(&actions.Dialogs());
        actions.Load();
    }

    FakeView view;
    ScriptedHost* dialogs = nullptr;
    std::vector<std::string> messages;
    std::promise<std::thread::id> finished;
    std::promise<void> letGo;
    std::shared_future<void> mayGoOn = letGo.get_future().share();
    WindowActions actions;
};

TEST(SourceNamesTest, AListIsOnlyQuotedNames)
{
    const struct {
        const char* text;
        std::vector<std::string> names;
    } rows[] = {{"", {}},
                {"a b.srt", {"a b.srt"}},
                {"\"a.srt\"", {"a.srt"}},
                {" \"a 1.srt\"\t\"b.srt\" ", {"a 1.srt", "b.srt"}},
                {"\"a.srt\" b.srt", {"\"a.srt\" b.srt"}},
                {R"("" "b.srt")", {R"("" "b.srt")"}},
                {"\"a.srt", {"\"a.srt"}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(SourceNamesIn(row.text), row.names);
        if (row.names.size() > 1) {
            EXPECT_EQ(SourceNamesIn(SourceBoxText(row.names)), row.names);
        }
    }
}

// A cancel changes nothing; a font only ever ticks; several sources make the target a folder where they are.
TEST_F(WindowActionsTest, DialogActionsFillTheControlsFromTheKeptValues)
{
    dialogs->answers = {std::vector<std::string>{"/d/in.srt"},
                        {},
                        FontChoice{"Serif", 10.5F, true, false},
                        {},
                        std::int32_t{255},
                        std::string("/out")};
    actions.ChooseSource();
    actions.ChooseTarget();
    actions.ChooseFont();
    actions.ChooseFont();
    actions.ChooseColour(ColourRow::Secondary);
    actions.TakeSources({"/d/a.srt", "/d/b.srt"});
    actions.ChooseTarget();
    actions.ApplyFormat(2);
    EXPECT_EQ(dialogs->asked, (std::vector<std::string>{"open " + std::string(kSourceFilter) + " at ",
                                                        "save at /d/in.srt, asking", "font VNI-Helve 9, screen",
                                                        "font VNI-Helve 10.5, screen", "colour 0", "folder at /d"}));
    EXPECT_EQ(view.boxes, (std::array<std::string, 7>{"\"/d/a.srt\" \"/d/b.srt\"", "/out", "Serif", "10.5"}));
    EXPECT_EQ(view.checks, (std::array{CheckState::Checked, CheckState::Unchecked}));
    EXPECT_EQ(view.swatches, (std::array<std::int32_t, 3>{0, 255, 0}));
    EXPECT_EQ(actions.Style().secondarycolor.TextForm(), "255");
    EXPECT_EQ(view.alignment, kAlignCentre);
    EXPECT_FALSE(view.styled);
}

// An existing target is asked about; closing during the run asks, then stops it and leaves the target as it was,
// without a message; the next run replaces the target and says what it counted.
TEST_F(WindowActionsTest, ARunGoesOnItsOwnThreadAndClosingStopsIt)
{
    const test::TempFolder folder;
    const std::u8string source = folder.path().u8string() + u8"/字幕.srt";
    const std::string target = folder.PathOf("out.ssa");
    test::WriteBytes(std::filesystem::path(source), test::kSubRipEntry);
    test::WriteBytes(target, "old");
    EXPECT_TRUE(actions.Convert() == false && view.focused == Box::Source) << "no source named";
    view.boxes[0] = {source.begin(), source.end()};
    view.boxes[1] = target;
    dialogs->answers = {false, true, false, true};
    EXPECT_FALSE(actions.Convert()) << "No to the replacement";
    ASSERT_TRUE(actions.Convert());
    EXPECT_EQ(actions.Progress().label, "Converting \"字幕.srt\"...");
    EXPECT_EQ(actions.AskToClose(), CloseAnswer::StayOpen);
    EXPECT_EQ(actions.AskToClose(), CloseAnswer::CloseWhenStopped);
    letGo.set_value();
    EXPECT_NE(finished.get_future().get(), std::this_thread::get_id());
    EXPECT_TRUE(actions.FinishRun());
    EXPECT_EQ(test::ReadBytes(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    EXPECT_EQ(messages, std::vector<std::string>{"Enter a source file name, or choose one with ..."});
}

// Several sources want a folder before anything starts. A run that ends while the user is asked whether to close
// says what it counted once the question is answered, not over it.
TEST_F(WindowActionsTest, AFinishedRunSaysWhatItCounted)
{
    const test::TempFolder folder;
    actions.TakeSources({folder.PathOf("a.srt"), folder.PathOf("b.srt")});
    EXPECT_TRUE(!actions.Convert() && view.focused == Box::Target);
    view.boxes[0] = folder.PathOf("in.srt");
    view.boxes[1] = folder.PathOf("out.ssa");
    test::WriteBytes(view.boxes[0], test::kSubRipEntry);
    ASSERT_TRUE(actions.Convert());
    dialogs->answers = {true};
    dialogs->whileAsking = [this] {
        letGo.set_value();
        EXPECT_NE(finished.get_future().get(), std::this_thread::get_id());
        EXPECT_FALSE(actions.FinishRun());
        EXPECT_EQ(messages.size(), 1U);
    };
    EXPECT_EQ(actions.AskToClose(), CloseAnswer::Close);
    EXPECT_NE(test::ReadBytes(view.boxes[1]).find("Dialogue: Marked=0,0:00:01.00,0:00:04.00,Default"),
              std::string::npos);
    EXPECT_EQ(messages,
              (std::vector<std::string>{"Enter a target folder, or choose one with ...", "1 rows finished!!!"}));
    EXPECT_EQ(actions.AskToClose(), CloseAnswer::Close);
}

} // namespace
} // namespace varnuth
