#pragma once

#include "DialogHost.h"

#include <gtest/gtest.h>

#include <deque>
#include <variant>
#include <vector>

/// Answers each dialog from a script instead of a person, and keeps what each dialog was asked.
class ScriptedDialogs final : public DialogHost {
public:
    struct Cancel {};
    using Answer = std::variant<Cancel, QString, QFont, QColor>;

    struct Question {
        QStringList nameFilters;
        QString startName;
        bool confirmOverwrite = false;
        QFont startFont;
        QColor startColour;
    };

    std::deque<Answer> answers;
    std::vector<Question> questions;

    std::optional<QString> AskOpenFileName(const QStringList& nameFilters, const QString& startName) override
    {
        questions.push_back({nameFilters, startName, false, {}, {}});
        return Next<QString>();
    }
    std::optional<QString> AskSaveFileName(const QStringList& nameFilters, const QString& startName,
                                           bool confirmOverwrite) override
    {
        questions.push_back({nameFilters, startName, confirmOverwrite, {}, {}});
        return Next<QString>();
    }
    std::optional<QFont> AskFont(const QFont& start) override
    {
        questions.push_back({{}, {}, false, start, {}});
        return Next<QFont>();
    }
    std::optional<QColor> AskColor(const QColor& start) override
    {
        questions.push_back({{}, {}, false, {}, start});
        return Next<QColor>();
    }

private:
    // A missing answer or one of the wrong kind fails the test and cancels, instead of waiting for a person.
    template <typename Value>
    std::optional<Value> Next()
    {
        if (answers.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not script";
            return std::nullopt;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        if (const auto* value = std::get_if<Value>(&answer)) {
            return *value;
        }
        if (!std::holds_alternative<Cancel>(answer)) {
            ADD_FAILURE() << "the test scripted another kind of dialog";
        }
        return std::nullopt;
    }
};
