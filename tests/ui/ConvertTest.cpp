#include "WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

class ConvertTest : public WindowFixture {
protected:
    QString Path(const char* name) const { return QDir(folder.path()).filePath(QLatin1String(name)); }

    void WriteSource(const QByteArray& bytes)
    {
        QFile file(Path("source.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray ReadTarget()
    {
        QFile file(Path("target.out"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    void TypeNamesAndConvert()
    {
        QTest::keyClicks(Find("txtSource"), Path("source.txt"));
        QTest::keyClicks(Find("txtTarget"), Path("target.out"));
        Click("cmdConvert");
    }

    QTemporaryDir folder;
};

constexpr char kSubRip[] = "1\r\n00:00:01,000 --> 00:00:03,500\r\nHello\r\nWorld\r\n\r\n"
                           "2\r\n00:00:04,000 --> 00:00:05,000\r\nBye\r\n";
constexpr char kSonic[] = "0001  00:00:01:00  00:00:03:00  Hello\r\n\r\n0002  00:00:04:00  00:00:05:10  Bye\r\n";
constexpr char kSonicWithContinuation[] = "0001  00:00:01:00  00:00:03:00  Hello\r\nsecond line\r\n\r\n"
                                          "0002  00:00:04:00  00:00:05:10  Bye\r\n";

TEST_F(ConvertTest, ConvertsInTheChosenFormatAndShowsTheCount)
{
    struct Case {
        const char* option;
        const char* source;
        const char* firstLine;
        const char* tail;
        const char* message;
    };
    const Case cases[] = {
        {"Option4_0", kSubRip, "! SSA Varnuth by Tavendrel - tavendrel@varnuth.org\r\n",
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,10,10,14\r\n"
         "Dialogue: Marked=0,0:00:01.00,0:00:03.50,Default,TAV,0000,0000,0000,!Effect,Hello\\NWorld\r\n"
         "Dialogue: Marked=0,0:00:04.00,0:00:05.00,Default,TAV,0000,0000,0000,!Effect,Bye\r\n",
         "2 rows finished!!!"},
        {"Option4_2", kSonic, "st_format\t2\r\n",
         "SP_NUMBER\tSTART\tEND FILE_NAME\r\n"
         "Display_Area\t(0 2 719 479)\r\n0001\t00:00:01:00\t00:00:03:00\tHello\r\n"
         "Display_Area\t(0 2 719 479)\r\n0002\t00:00:04:00\t00:00:05:10\tBye\r\n",
         "2 rows finished!!!"},
        {"Option4_3", kSonicWithContinuation, "// MaestroDVD STL scripts convertor by Tavendrel - tavendrel@varnuth.org\r\n",
         "$TapeOffset         =   FALSE\r\n"
         "00:00:01:00\t,\t00:00:03:00\t,\tHello|second line\r\n00:00:04:00\t,\t00:00:05:10\t,\tBye\r\n",
         "1 rows finished!!!"},
    };
    for (const Case& c : cases) {
        messages.clear();
        Find<QLineEdit>("txtSource")->clear();
        Find<QLineEdit>("txtTarget")->clear();
        WriteSource(c.source);
        Click(c.option);
        TypeNamesAndConvert();
        const QByteArray target = ReadTarget();
        EXPECT_TRUE(target.startsWith(c.firstLine)) << c.option;
        EXPECT_TRUE(target.endsWith(c.tail)) << c.option << "\n" << target.toStdString();
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.option;
    }
}

TEST_F(ConvertTest, TakesStyleChoicesFromTheControlsAndKeepsThem)
{
    WriteSource(kSubRip);
    Click("Check1");
    auto* italic = Find<QCheckBox>("Check2");
    italic->setTristate(true);
    italic->setCheckState(Qt::PartiallyChecked);
    Click("Option1");
    Find<QLineEdit>("txtLeft")->setText(QStringLiteral(" 5"));
    Find<QLineEdit>("txtBottom")->clear();
    TypeNamesAndConvert();
    EXPECT_TRUE(ReadTarget().contains("\r\nStyle: Default,VNI-Helve,18,16777215,16777215,16777215,0,-1,0,2,0,1, 5,10,\r\n"));
    const varnuth::StyleSettings& style = window->styleSettings();
    EXPECT_EQ(style.bold.TextForm(), "-1");
    EXPECT_EQ(style.italic, "0");
    EXPECT_EQ(style.txtAlignment, "1");
}

TEST_F(ConvertTest, EmptyTargetNameConvertsNothing)
{
    WriteSource(kSubRip);
    QTest::keyClicks(Find("txtSource"), Path("source.txt"));
    Click("cmdConvert");
    EXPECT_EQ(messages, std::vector<std::string>{"0 rows finished!!!"});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"source.txt"});
}

TEST_F(ConvertTest, FailedRunShowsOnlyItsDescription)
{
    TypeNamesAndConvert();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_FALSE(messages.front().ends_with(" rows finished!!!"));
    EXPECT_FALSE(QFile::exists(Path("target.out")));
}

} // namespace
