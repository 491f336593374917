#include "WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class ConvertTest : public WindowFixture {
protected:
    QString Path(const char* name) const { return QDir(folder.path()).filePath(QLatin1String(name)); }

    void ConvertThroughTheWindow(const QByteArray& source, const char* targetName = "target.out")
    {
        QFile file(Path("source.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(source);
        file.close();
        for (const auto& [box, name] : {std::pair{"txtSource", "source.txt"}, {"txtTarget", targetName}}) {
            Find<QLineEdit>(box)->clear();
            QTest::keyClicks(Find(box), *name != '\0' ? Path(name) : QString());
        }
        Click("cmdConvert");
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
    EXPECT_EQ((std::vector{style.bold.TextForm(), style.italic, style.txtAlignment}),
              (std::vector<std::string>{"-1", "0", "1"}));
}

TEST_F(ConvertTest, EmptyTargetNameConvertsNothing)
{
    ConvertThroughTheWindow(kSubRip, "");
    EXPECT_EQ(messages, std::vector<std::string>{"0 rows finished!!!"});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"source.txt"});
}

} // namespace
