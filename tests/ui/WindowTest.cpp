#include "ColourSwatch.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QUrl>

namespace {

using WindowTest = WindowFixture;

QString Text(QWidget* control)
{
    return qobject_cast<QLineEdit*>(control)->text();
}

bool Checked(QWidget* control)
{
    return qobject_cast<QAbstractButton*>(control)->isChecked();
}

TEST_F(WindowTest, ShowsTheDefaultsOnceLoaded)
{
    EXPECT_EQ(window->windowTitle(), "Varnuth");
    EXPECT_EQ(window->minimumSize(), QSize(465, 285));
    EXPECT_EQ(window->maximumSize(), QSize(465, 285));
    for (const auto& [name, text] : {std::pair{"txtSource", ""}, {"txtTarget", ""}, {"txtFont", "VNI-Helve"},
                                     {"txtSize", "18"}, {"txtLeft", "10"}, {"txtRight", "10"}, {"txtBottom", "14"}}) {
        EXPECT_EQ(Text(Find(name)), text) << name;
    }
    for (const auto& [name, checked] : {std::pair{"Check1", false}, {"Check2", false}, {"Option1", false},
                                        {"Option2", true}, {"Option3", false}, {"Option4_0", true},
                                        {"Option4_2", false}, {"Option4_3", false}}) {
        EXPECT_EQ(Checked(Find(name)), checked) << name;
    }
    for (const char* swatch : {"shPrimary", "shSecondary", "shTertiary"}) {
        EXPECT_EQ(Find<ColourSwatch>(swatch)->fillColour(), QColor(Qt::white)) << swatch;
    }
    for (const char* frame : {"Frame1", "Frame2", "Frame3"}) {
        EXPECT_TRUE(Find(frame)->isEnabled()) << frame;
    }
    const varnuth::StyleSettings& style = window->styleSettings();
    EXPECT_EQ((std::vector{style.str_fontname.TextForm(), style.str_fontsize, style.bold.TextForm(), style.italic,
                           style.primarycolor.TextForm(), style.secondarycolor.TextForm(),
                           style.tertiarycolor.TextForm(), style.txtAlignment}),
              (std::vector<std::string>{"VNI-Helve", "18", "0", "0", "16777215", "16777215", "16777215", "2"}));
}

TEST_F(WindowTest, FormatGroupHasTheIndicesZeroTwoAndThree)
{
    const QButtonGroup* format = window->findChild<QButtonGroup*>(QStringLiteral("Option4"));
    ASSERT_NE(format, nullptr);
    std::vector<int> ids;
    for (QAbstractButton* button : format->buttons()) {
        ids.push_back(format->id(button));
    }
    EXPECT_EQ(ids, (std::vector{0, 2, 3}));
    EXPECT_EQ(format->button(2), Find("Option4_2"));
}

TEST_F(WindowTest, NoButtonAnswersEnterOrEscapeAndNoCaptionHasAnAccessKey)
{
    for (const QPushButton* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->objectName().toStdString();
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        EXPECT_FALSE(button->text().contains(QLatin1Char('&'))) << button->objectName().toStdString();
    }
}

// The room the style leaves for a button's caption, after its indicator or bevel.
int CaptionRoom(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement contents = qobject_cast<const QRadioButton*>(button) != nullptr ? QStyle::SE_RadioButtonContents
                                        : qobject_cast<const QCheckBox*>(button) != nullptr  ? QStyle::SE_CheckBoxContents
                                                                                             : QStyle::SE_PushButtonContents;
    return button->style()->subElementRect(contents, &option, button).width();
}

// With the fonts the set-up installs, no caption may be cut off at 96 dpi.
TEST_F(WindowTest, EveryCaptionFitsItsControl)
{
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << label->objectName().toStdString();
        EXPECT_LE(label->fontMetrics().height(), label->height()) << label->objectName().toStdString();
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), CaptionRoom(button))
            << button->objectName().toStdString();
    }
    for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        EXPECT_LT(frame->fontMetrics().horizontalAdvance(frame->title()), frame->width())
            << frame->objectName().toStdString();
    }
}

TEST_F(WindowTest, EveryControlLiesInsideItsContainer)
{
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (control->isWindow()) {
            continue;
        }
        EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()))
            << control->objectName().toStdString();
    }
}

TEST_F(WindowTest, FormatClickSetsTheFramesAndKeepsTheirValues)
{
    Click("Check1");
    Click("Option3");
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral("7"));
    Find<ColourSwatch>("shTertiary")->setFillColour(Qt::red);
    for (const auto& [option, enabled] : {std::pair{"Option4_2", false}, {"Option4_0", true}, {"Option4_3", false},
                                          {"Option4_3", false}, {"Option4_0", true}}) {
        Click(option);
        for (const char* frame : {"Frame1", "Frame2", "Frame3"}) {
            EXPECT_EQ(Find(frame)->isEnabled(), enabled) << option << " " << frame;
        }
        EXPECT_TRUE(Checked(Find("Check1")));
        EXPECT_TRUE(Checked(Find("Option3")));
        EXPECT_EQ(Text(Find("txtLeft")), "7");
        EXPECT_EQ(Find<ColourSwatch>("shTertiary")->fillColour(), QColor(Qt::red));
    }
}

TEST_F(WindowTest, OptionGroupsNeverAffectEachOther)
{
    Click("Option3");
    Click("Option4_3");
    EXPECT_TRUE(Checked(Find("Option3")));
    EXPECT_TRUE(Checked(Find("Option4_3")));
    Click("Option4_0");
    EXPECT_TRUE(Checked(Find("Option3")));
    Click("Option1");
    EXPECT_TRUE(Checked(Find("Option4_0")));
    EXPECT_FALSE(Checked(Find("Option3")));
}

TEST_F(WindowTest, ArrowKeySelectsAFormatLikeAClick)
{
    Activate();
    Find("Option4_0")->setFocus();
    QTest::keyClick(Find("Option4_0"), Qt::Key_Right);
    EXPECT_TRUE(Checked(Find("Option4_2")));
    EXPECT_FALSE(Find("Frame1")->isEnabled());
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

// A group of option buttons is one stop, entered at the button last used (at first its first button).
TEST_F(WindowTest, TabFollowsTheFocusOrderAndSkipsDisabledFrames)
{
    Activate();
    ASSERT_EQ(QApplication::focusWidget(), Find("txtSource"));

    const std::vector<std::string> ssa = {"txtSource", "cmdBrowse", "txtTarget", "cmdBrowse2", "cmdConvert",
                                      "cmdClose", "cmdFont", "Check1", "Check2", "cmdPrimary", "cmdSecondary",
                                      "cmdTertiary", "txtLeft", "txtRight", "txtBottom", "Option1", "Option4_0",
                                      "txtSource"};
    EXPECT_EQ(TabStops(ssa.size()), ssa);

    Click("Option4_3");
    Find("txtSource")->setFocus();
    const std::vector<std::string> stl = {"txtSource", "cmdBrowse", "txtTarget", "cmdBrowse2",
                                      "cmdConvert", "cmdClose", "Option4_3", "txtSource"};
    EXPECT_EQ(TabStops(stl.size()), stl);
}

TEST_F(WindowTest, DroppedFileGivesItsFullName)
{
    for (const char* box : {"txtSource", "txtTarget"}) {
        QLineEdit* target = Find<QLineEdit>(box);
        target->setText(QStringLiteral("old"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/user/My Films/part one.srt"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted()) << box;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_EQ(target->text(), "/home/user/My Films/part one.srt") << box;
    }
}

TEST_F(WindowTest, CloseEndsTheWindow)
{
    Click("cmdClose");
    EXPECT_FALSE(window->isVisible());
}

} // namespace
