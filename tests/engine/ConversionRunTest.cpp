#include "ConversionBatch.h"
#include "ConversionFixture.h"
#include "Formats.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#endif

#include <atomic>
#include <map>
#include <set>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;
using enum OutputFormat;

const std::string kSource = "0001  00:00:20:13  00:00:24:01  a.bmp\r\n0002  00:01:02:00  00:01:04:29  b.bmp\r\n";

class ConversionRunTest : public ConversionFixture {
protected:
    std::vector<std::string> Messages()
    {
        std::vector<std::string> shown;
        RunConversion(request_, style_, [&shown](const std::string& text) { shown.push_back(text); });
        return shown;
    }
};

// FIFOs, devices, links and modes as POSIX systems have them; WindowsFilesTest has Windows' own.
#ifndef _WIN32
// Every failure shows only its description, once, and leaves the source and every earlier target as they were.
TEST_F(ConversionRunTest, FailuresLeaveTheSourceAndThePreviousTarget)
{
    const fs::path previous = fs::current_path();
    fs::current_path(temp_.path()); // relative names, so the same file is also reached as ./source and sub/../source
    fs::create_directory("folder");
    fs::create_directory("sub");
    const std::map<std::string, std::string> kept = {{"source", kSource},
                                                     {"large", Repeated(kSonicEntry, 40000)},
                                                     {"short", kSource + "0003  00:01:05:00  00:01:06:29\r\n"},
                                                     {"old-target", "keep me"},
                                                     {"read-only", "keep me"}};
    for (const auto& [name, bytes] : kept) {
        WriteBytes(name, bytes);
    }
    fs::permissions("read-only", fs::perms::owner_read);
    fs::create_symlink("source", "symlink");
    fs::create_hard_link("source", "hardlink");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    const std::string source = temp_.PathOf("source");
    const auto unreadable = [](const std::string& name, const std::string& why) {
        return "Cannot read the source file \"" + name + "\": " + why;
    };
    const auto unwritable = [](const std::string& name, const std::string& why) {
        return "Cannot write the target file \"" + name + "\": " + why + "; the target file was not changed";
    };
    const std::string full = "Cannot write the target file \"/dev/full\": No space left on device";
    const std::string tooShort = "Line 3 of the source is too short for an entry line: 30 of at least 32 characters; "
                                 "the target file was not changed";
    const std::vector<OutputFormat> all = {SSA, SON, STL};
    // Source, target, the one message shown, the formats tried.
    const std::tuple<std::string, std::string, std::string, std::vector<OutputFormat>> cases[] = {
        {"missing", "old-target", unreadable("missing", "No such file or directory"), all},
        {" ", "old-target", unreadable(" ", "No such file or directory"), all},
        {temp_.PathOf("folder"), "old-target", unreadable(temp_.PathOf("folder"), "Is a directory"), all},
        {"/dev/zero", "old-target", unreadable("/dev/zero", "it is not a regular file"), all},
        {"fifo", "old-target", unreadable("fifo", "it is not a regular file"), all},
        {source, "no-folder/target", unwritable("no-folder/target", "No such file or directory"), all},
        {source, "folder", unwritable("folder", "Is a directory"), all},
        {source, "source/x", unwritable("source/x", "Not a directory"), all},
        {source, "read-only", unwritable("read-only", "the file is read-only"), all},
        {source, "fifo", unwritable("fifo", "it is a pipe that no program is reading from"), all},
        {source, "/dev/full", full, all},
        {source, "/dev/fd/999", unwritable("/dev/fd/999", "descriptor 999 is not open"), all},
        {"large", "/dev/full", full, all},
        {"short", "old-target", tooShort, {SON, STL}},
        {source, source, unwritable(source, "it is the source file"), {SSA}},
        {source, "./source", unwritable("./source", "it is the source file"), {SSA}},
        {source, "sub/../source", unwritable("sub/../source", "it is the source file"), {SSA}},
        {source, "symlink", unwritable("symlink", "it is the source file"), {SSA}},
        {source, "hardlink", unwritable("hardlink", "it is the source file"), {SSA}},
    };
    for (const auto& [from, to, description, formats] : cases) {
        for (const OutputFormat format : formats) {
            request_ = DefaultRequest(from, to, format);
            const RunOutcome outcome = PerformConversion(request_, style_);
            ASSERT_FALSE(outcome.succeeded()) << description;
            EXPECT_NE(outcome.error->number(), 0);
            EXPECT_EQ(Messages(), std::vector<std::string>{description});
            for (const auto& [name, bytes] : kept) {
                EXPECT_EQ(ReadBytes(name), bytes) << FormatOf(format).name << ": " << description;
            }
        }
    }
    fs::current_path(previous);
}
#endif

// The one message a run shows: the count, the STL subtitles written where they differ from it, and the first
// unconverted lines; past 32767 rows, in any format, an overflow that leaves the target as it was. UTF-16 without a
// mark is decoded when its start is plain, and named when it is only likely.
TEST_F(ConversionRunTest, OneMessageWithTheCountOrTheOverflow)
{
    const std::string entry = "0001  00:00:20:13  00:00:24:01  a.bmp\r\n";
    const std::string overflow = "Overflow: a run counts at most 32767 rows; the target file was not changed";
    std::string firstFive = "1 rows finished!!!\n\n25 source lines were not converted, the first 5:";
    for (int line = 1; line <= 5; ++line) {
        firstFive += "\nline " + std::to_string(line) + ": text outside an entry; dropped";
    }
    const auto unmarkedUtf16 = [](const std::u16string& text, bool bigEndian) {
        return Utf16(text, bigEndian).substr(2);
    };
    const std::u16string entry16(entry.begin(), entry.end());
    const std::tuple<OutputFormat, std::string, std::string> cases[] = {
        {SSA, "stray\r\nstray\r\n",
         "0 rows finished!!!\n\n2 source lines were not converted:\nline 1: text outside an entry; dropped\nline 2: "
         "text outside an entry; dropped"},
        {SSA, Repeated("stray\r\n", 25) + "00:00:01,000 --> 00:00:02,000\r\nx", firstFive},
        {SON, Repeated(entry, 32767), "32767 rows finished!!!"},
        {SON, Repeated(entry, 32768), overflow},
        {SSA, Repeated("00:00:01,000 --> 00:00:02,000\r\nx\r\n\r\n", 32768), overflow},
        {STL, entry + Repeated("more\r\n", 32768), overflow},
        {STL, entry + "\r\n" + entry, "0 rows finished!!!\n2 subtitles written"},
        {STL, entry + "more\r\n\r\n", "1 rows finished!!!"},
        {SON, unmarkedUtf16(entry16 + entry16, false), "2 rows finished!!!"},
        {SON, unmarkedUtf16(u"0001  00:00:20:13  00:00:24:01  \u00e9\u1ea1\u4e2d\u0100\r\n" + entry16, true),
         "2 rows finished!!!"},
        {SON, unmarkedUtf16(std::u16string(u"\0x\r\n", 4) + entry16, false),
         "Line 1 of the source is too short for an entry line: 4 of at least 32 characters; the target file was not "
         "changed\n\n"
             + std::string(kLooksLikeUtf16)}};
    for (const auto& [format, source, message] : cases) {
        const std::string before = Target();
        WriteBytes(temp_.PathOf("source"), source);
        request_.format = format;
        EXPECT_EQ(Messages(), std::vector<std::string>{message});
        EXPECT_TRUE(message != overflow || Target() == before) << FormatOf(format).name;
    }
    // An empty name converts nothing, which is no success, and opens and creates nothing.
    fs::remove(temp_.path() / "target");
    for (const auto& [source, target, message] :
         {std::tuple{std::string(), request_.targetName, "No source file name was given"},
          {request_.sourceName, "", "No target file name was given"}}) {
        request_.sourceName = source;
        request_.targetName = target;
        EXPECT_EQ(Messages(), std::vector<std::string>{message});
        EXPECT_FALSE(fs::exists(temp_.path() / "target"));
    }
}

#ifndef _WIN32
// The output replaces the target whole: with the target's permissions, no temporary file left, and a link at the
// target's name replaced, never followed, whatever it leads to.
TEST_F(ConversionRunTest, TheOutputReplacesTheTarget)
{
    const fs::path target = temp_.path() / "target";
    const mode_t mask = ::umask(022);
    Convert(SON, "");
    const std::string headerOnly = Target();
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
    fs::permissions(target, fs::perms(0604));
    Convert(SON, kSource);
    EXPECT_EQ(Convert(SON, "").count, 0);
    ::umask(mask);
    EXPECT_EQ(Target(), headerOnly);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0604));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp_.path()), fs::directory_iterator()), 2);
    WriteBytes(temp_.path() / "other", "someone else's");
    ASSERT_EQ(::mkfifo(temp_.PathOf("fifo").c_str(), 0600), 0);
    for (const char* pointee : {"other", "nowhere", "fifo", "/dev/null"}) {
        fs::remove(target);
        fs::create_symlink(temp_.path() / pointee, target);
        ASSERT_TRUE(Convert(SON, "").succeeded()) << pointee;
        EXPECT_FALSE(fs::is_symlink(target)) << pointee;
        EXPECT_EQ(Target(), headerOnly) << pointee;
        EXPECT_EQ(ReadBytes(temp_.path() / "other"), "someone else's");
        EXPECT_FALSE(fs::exists(temp_.path() / "nowhere"));
    }
}

// A replaced target keeps its owner, group, permissions, ACL and other names, wherever it is; a failed run after
// that leaves it as it was. (Not being root, the first row keeps the user's own file.)
TEST_F(ConversionRunTest, TheReplacedTargetKeepsWhatItHad)
{
    const auto attributes = [](const fs::path& file) {
        struct stat status {};
        ::stat(file.c_str(), &status);
        std::string acl(256, '\0');
        acl.resize(static_cast<std::size_t>(
            std::max<ssize_t>(::getxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size()), 0)));
        return std::tuple{status.st_uid, status.st_gid, status.st_mode, status.st_nlink, acl};
    };
    const std::string inShm = "/dev/shm/" + temp_.path().filename().string();
    const std::string here = temp_.PathOf("target");
    const std::pair<std::string, std::string> cases[] = {{here, R"(chown 65534:65534 "$T"; chmod 600 "$T")"},
                                                         {here, R"(chgrp 100 "$T"; chmod 660 "$T")"},
                                                         {here, R"(setfacl -m u:nobody:rw "$T")"},
                                                         {here, R"(ln "$T" "$T.second")"},
                                                         {inShm, R"(chmod 640 "$T")"}};
    for (const auto& [name, prepare] : cases) {
        SCOPED_TRACE(prepare);
        request_.targetName = name;
        fs::remove(request_.targetName);
        fs::remove(request_.targetName + ".second");
        WriteBytes(request_.targetName, "old");
        std::system(("T='" + request_.targetName + "'; (" + prepare + ") 2>/dev/null").c_str());
        const auto before = attributes(request_.targetName);
        ASSERT_TRUE(Convert(SON, kSource).succeeded());
        const std::string output = ReadBytes(request_.targetName);
        EXPECT_FALSE(Convert(SON, kSource + "0003  00:01:05:00  00:01:06:29\r\n").succeeded());
        EXPECT_EQ(attributes(request_.targetName), before);
        EXPECT_TRUE(output.starts_with("st_format\t2"));
        EXPECT_EQ(ReadBytes(request_.targetName), output);
        EXPECT_TRUE(std::get<3>(before) == 1 || ReadBytes(request_.targetName + ".second") == output);
        const fs::path file(request_.targetName);
        EXPECT_EQ(std::count_if(fs::directory_iterator(file.parent_path()), fs::directory_iterator(),
                                [&](const auto& entry) {
                                    return entry.path().filename().string().starts_with("." + file.filename().string());
                                }),
                  0);
    }
    fs::remove(inShm);
}

// While a run writes: its temporary file is its owner's alone; progress counts the source's own bytes, UTF-16
// too; a folder renamed under the run keeps nothing of it. A target name as long as the system allows is written.
TEST_F(ConversionRunTest, WhileTheRunWrites)
{
    const fs::path folder = temp_.path() / "folder";
    fs::create_directory(folder);
    const std::string entries = Repeated(kSubRipEntry, 4000);
    WriteBytes(folder / "source", Utf16(std::u16string(entries.begin(), entries.end())));
    request_ = DefaultRequest(folder / "source", folder / "target", SSA);
    std::uint64_t progress = 0;
    std::set<fs::perms> modes;
    std::atomic<bool> cancel = false;
    RunControl control{[&](std::uint64_t bytesRead) {
                           progress = bytesRead;
                           for (const auto& file : fs::directory_iterator(folder)) {
                               if (file.path().filename() != "source") { // the temporary file, the only other one
                                   modes.insert(file.status().permissions());
                               }
                           }
                       },
                       &cancel};
    ASSERT_TRUE(PerformConversion(request_, style_, control).succeeded());
    EXPECT_EQ(progress, fs::file_size(folder / "source"));
    EXPECT_EQ(modes, std::set{fs::perms(0600)});
    const std::string output = ReadBytes(folder / "target");
    control.progress = [&, calls = 0](std::uint64_t) mutable { // the first call comes before the target is open
        if (++calls == 2) {
            fs::rename(folder, temp_.path() / "moved");
            cancel = true;
        }
    };
    EXPECT_EQ(PerformConversion(request_, style_, control).error->description(),
              "Cancelled; the target file was not changed");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp_.path() / "moved"), fs::directory_iterator()), 2);
    fs::path deep = temp_.path();
    while (deep.string().size() < 3840) {
        deep /= std::string(200, 'd');
    }
    fs::create_directories(deep);
    request_ = DefaultRequest(temp_.PathOf("moved/source"),
                              (deep / std::string(4094 - deep.string().size(), 't')).string(), SSA);
    ASSERT_EQ(request_.targetName.size(), 4095);
    EXPECT_TRUE(PerformConversion(request_, style_).succeeded());
    EXPECT_EQ(ReadBytes(request_.targetName), output);
}
#endif

// A batch's target: the source's base name with its last extension replaced by the format's own.
TEST(TargetNameTest, ReplacesTheLastExtensionWithTheFormats)
{
    const std::tuple<const char*, const char*, OutputFormat, const char*> cases[] = {
        {"ep01.srt", "out", SSA, "out/ep01.ssa"},     {"a/b/ep01.txt", "out/", STL, "out/ep01.stl"},
        {"ep.01.srt", "/", SON, "/ep.01.son"},        {"ep01.srt", "d", ASS, "d/ep01.ass"},        {".hidden", "d", SSA, "d/.hidden.ssa"},
        {"no extension", "d", SSA, "d/no extension.ssa"}, {"d/.srt", "d", SSA, "d/.srt.ssa"},
        {"dir/", "d", SSA, ""},                       {"a/..", "d", SSA, ""},
    };
    for (const auto& [source, folder, format, target] : cases) {
        EXPECT_EQ(TargetNameIn(folder, source, format), target) << source;
    }
}

} // namespace
} // namespace varnuth::test
