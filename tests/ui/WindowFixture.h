#pragma once

#include "DialogHost.h"
#include "frmConvert.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <variant>
#include <vector>

inline constexpr std::monostate kCancel{};

/// Answers each dialog from a script instead of a person, and keeps what each dialog was asked.
class ScriptedDialogs final : public DialogHost {
public:
    struct Question {
        QWidget* parent = nullptr;
        QStringList nameFilters;
        QString startName;
        bool confirmOverwrite = false;
        QFont startFont;
        QColor startColour;
    };

    /// The answers of the next dialogs, in order: a name, a font, a colour, or kCancel.
    template <typename... Answers>
    void Script(Answers... next)
    {
        (answers.emplace_back(std::in_place_type<Answers>, std::move(next)), ...);
    }

    std::optional<QString> AskOpenFileName(QWidget* parent, const QStringList& filters, const QString& start) override
    {
        return Next<QString>({parent, filters, start, false, {}, {}});
    }
    std::optional<QString> AskSaveFileName(QWidget* parent, const QStringList& filters, const QString& start,
                                           bool confirm) override
    {
        return Next<QString>({parent, filters, start, confirm, {}, {}});
    }
    std::optional<QFont> AskFont(QWidget* parent, const QFont& start) override
    {
        return Next<QFont>({parent, {}, {}, false, start, {}});
    }
    std::optional<QColor> AskColour(QWidget* parent, const QColor& start) override
    {
        return Next<QColor>({parent, {}, {}, false, {}, start});
    }

    std::vector<Question> asked;

private:
    std::deque<std::variant<std::monostate, QString, QFont, QColor>> answers;

    // An unscripted dialog fails the test and cancels, instead of waiting for a person.
    template <typename Value>
    std::optional<Value> Next(Question question)
    {
        asked.push_back(std::move(question));
        if (answers.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not script";
            return std::nullopt;
        }
        const auto answer = answers.front();
        answers.pop_front();
        const auto* value = std::get_if<Value>(&answer);
        return value != nullptr ? std::optional(*value) : std::nullopt;
    }
};

/// A shown window whose dialogs answer from a script and whose messages are kept.
class WindowFixture : public testing::Test {
protected:
    WindowFixture()
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<frmConvert>(
            std::move(scripted), [this](const std::string& text) { messages.push_back(text); },
            [this](std::uint64_t bytesRead) {
                if (onRunProgress) {
                    onRunProgress(bytesRead);
                }
            });
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
    void Activate()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    /// Waits until the run started last has shown its message.
    void WaitForTheMessage(std::size_t shownBefore)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() > shownBefore; }, kRunTimeoutMs));
    }

    static constexpr int kRunTimeoutMs = 10000;
    // Set before the window, which may still call it while it ends a run.
    RunProgressHook onRunProgress;
    std::unique_ptr<frmConvert> window;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<std::string> messages;
};
