#pragma once

#include "ScriptedDialogs.h"
#include "frmConvert.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

/// A shown window whose dialogs answer from a script and whose messages are kept.
class WindowFixture : public testing::Test {
protected:
    WindowFixture()
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<frmConvert>(std::move(scripted),
                                              [this](const std::string& text) { messages.push_back(text); });
        window->show();
    }

    template <typename Control = QWidget>
    Control* Find(const char* name)
    {
        auto* control = window->findChild<Control*>(QLatin1String(name));
        if (control == nullptr) {
            ADD_FAILURE() << "no control " << name;
        }
        return control;
    }

    void Activate()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }

    std::unique_ptr<frmConvert> window;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<std::string> messages;
};
