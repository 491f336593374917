#include "WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <future>

namespace {

class ConvertTest : public WindowFixture {
protected:
    QString Path(const char* name) const { return QDir(folder.path()).filePath(QLatin1String(name)); }

    void Write(const char* name, const QByteArray& content)
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    void StartConversion(const QByteArray& source, const char* targetName = "target.out")
    {
        Write("source.txt", source);
        for (const auto& [box, name] : {std::pair{"txtSource", "source.txt"}, {"txtTarget", targetName}}) {
            Find<QLineEdit>(box)->clear();
            QTest::keyClicks(Find(box), *name != '\0' ? Path(name) : QString());
        }
        Click("cmdConvert");
    }

    void ConvertThroughTheWindow(const QByteArray& source, const char* targetName = "target.out")
    {
        const std::size_t shownBefore = messages.size();
        StartConversion(source, targetName);
        WaitForTheMessage(shownBefore);
    }

    QByteArray Target()
    {
        QFile file(Path("target.out"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir folder;
};

constexpr char kSubRip[] = "Note\r\n1\r\n00:00:01,000 --> 00:00:03,500\r\nHello\r\nWorld\r\n\r\n"
                           "2\r\n00:00:04,000 --> 00:00:05,000\r\nBye\r\n";
constexpr char kSonic[] = "0001  00:00:01:00  00:00:03:00  Hello\r\n\r\n0002  00:00:04:00  00:00:05:10  Bye\r\n";
constexpr char kSonicContinued[] = "0001  00:00:01:00  00:00:03:00  Hello\r\nsecond line\r\n\r\n"
                                   "0002  00:00:04:00  00:00:05:10  Bye\r\n";

TEST_F(ConvertTest, ConvertsInTheChosenFormatAndShowsTheCount)
{
    const struct {
        const char* option;
        const char* source;
        const char* firstLine;
        const char* tail;
        const char* message;
    } cases[] = {
        {"Option4_0", kSubRip, "! SSA Varnuth by Tavendrel - tavendrel@varnuth.org\r\n",
         "Timer: 100.0000\r\nStyle: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,10,10,14\r\n"
         "Dialogue: Marked=0,0:00:01.00,0:00:03.50,Default,TAV,0000,0000,0000,!Effect,Hello\\NWorld\r\n"
         "Dialogue: Marked=0,0:00:04.00,0:00:05.00,Default,TAV,0000,0000,0000,!Effect,Bye\r\n",
         "2 rows finished!!!\n\n1 source line was not converted:\nline 1: text outside an entry; dropped"},
        {"Option4_2", kSonic, "st_format\t2\r\n",
         "SP_NUMBER\tSTART\tEND FILE_NAME\r\n"
         "Display_Area\t(0 2 719 479)\r\n0001\t00:00:01:00\t00:00:03:00\tHello\r\n"
         "Display_Area\t(0 2 719 479)\r\n0002\t00:00:04:00\t00:00:05:10\tBye\r\n",
         "2 rows finished!!!"},
        {"Option4_3", kSonicContinued, "// MaestroDVD STL scripts convertor by Tavendrel - tavendrel@varnuth.org\r\n",
         "$TapeOffset         =   FALSE\r\n"
         "00:00:01:00\t,\t00:00:03:00\t,\tHello|second line\r\n00:00:04:00\t,\t00:00:05:10\t,\tBye\r\n",
         "1 rows finished!!!"},
    };
    for (const auto& c : cases) {
        messages.clear();
        Click(c.option);
        ConvertThroughTheWindow(c.source);
        const QByteArray target = Target();
        EXPECT_TRUE(target.startsWith(c.firstLine) && target.endsWith(c.tail)) << c.option << "\n" << target.data();
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.option;
    }
}

TEST_F(ConvertTest, TakesStyleChoicesFromTheControlsAndKeepsThem)
{
    Click("Check1");
    auto* italic = Find<QCheckBox>("Check2");
    italic->setTristate(true);
    italic->setCheckState(Qt::PartiallyChecked);
    Click("Option1");
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral(" 5"));
    Find<QLineEdit>("txtBottom")->clear();
    ConvertThroughTheWindow(kSubRip);
    EXPECT_TRUE(
        Target().contains("\r\nStyle: Default,VNI-Helve,18,16777215,16777215,16777215,0,-1,0,2,0,1, 5,10,\r\n"));
    const varnuth::StyleSettings& style = window->styleSettings();
    EXPECT_EQ(
        (std::vector{style.bold.TextForm(), style.italic, std::string(varnuth::AlignmentCode(style.txtAlignment))}),
        (std::vector<std::string>{"-1", "0", "1"}));
}

TEST_F(ConvertTest, EmptyTargetNameConvertsNothing)
{
    ConvertThroughTheWindow(kSubRip, "");
    EXPECT_EQ(messages, std::vector<std::string>{"0 rows finished!!!"});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"source.txt"});
}

// Counts the paint events of the object it watches.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A slow source: the run stops at its first buffer until the test lets it go on (or gives up waiting).
TEST_F(ConvertTest, WindowKeepsPaintingDuringARunAndCancelEndsIt)
{
    QByteArray source;
    for (int entry = 1; entry <= 4000; ++entry) {
        source += QByteArray::number(entry) + "\r\n00:00:01,000 --> 00:00:02,000\r\nLine " + QByteArray::number(entry)
                  + "\r\n\r\n";
    }
    std::promise<void> goOn;
    onRunProgress = [released = goOn.get_future().share()](std::uint64_t) {
        released.wait_for(std::chrono::milliseconds(kRunTimeoutMs));
    };
    Write("target.out", "keep me");
    StartConversion(source);

    EXPECT_FALSE(Find("cmdConvert")->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::BusyCursor);
    PaintCounter counter;
    window->installEventFilter(&counter);
    window->update();
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, kRunTimeoutMs));
    auto* progress = window->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisible(); }, kRunTimeoutMs));
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    goOn.set_value();
    WaitForTheMessage(0);

    EXPECT_EQ(messages, std::vector<std::string>{"Cancelled; the target file was not changed"});
    EXPECT_EQ(Target(), "keep me");
    EXPECT_TRUE(Find("cmdConvert")->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
}

} // namespace
