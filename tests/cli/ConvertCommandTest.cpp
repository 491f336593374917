#include "Formats.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include "WindowsFiles.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#endif

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;
#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ConvertCommandTest : public testing::Test {
protected:
#ifdef _WIN32
    // Quoted as CommandLineToArgvW reads it back: backslashes double only before a quote.
    static std::wstring Quoted(const std::string& argument)
    {
        std::wstring quoted = L"\"";
        std::size_t backslashes = 0;
        for (const wchar_t c : WideText(argument)) {
            backslashes = c == L'\\' ? backslashes + 1 : 0;
            quoted += c == L'"' ? std::wstring(backslashes + 1, L'\\') + L"\"" : std::wstring(1, c);
        }
        return quoted + std::wstring(backslashes, L'\\') + L"\"";
    }

    // The command started with standard output and error going to "out" and "err".
    PROCESS_INFORMATION Start(const std::vector<std::string>& arguments)
    {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        const auto create = [&inherited](const std::wstring& name, DWORD access, DWORD disposition) {
            return ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, disposition, 0,
                                 nullptr);
        };
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = create(L"NUL", GENERIC_READ, OPEN_EXISTING);
        startup.hStdOutput = create(WideText(PathOf("out")), GENERIC_WRITE, CREATE_ALWAYS);
        startup.hStdError = create(WideText(PathOf("err")), GENERIC_WRITE, CREATE_ALWAYS);
        std::wstring line = Quoted(VARNUTH_CONVERT);
        for (const std::string& argument : arguments) {
            line += L" " + Quoted(argument);
        }
        PROCESS_INFORMATION process{};
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
        for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
            ::CloseHandle(handle);
        }
        return process;
    }

    static DWORD Wait(const PROCESS_INFORMATION& process)
    {
        DWORD exitCode = static_cast<DWORD>(-1);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::GetExitCodeProcess(process.hProcess, &exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return exitCode;
    }

    CommandResult Run(const std::vector<std::string>& arguments, const std::string& /*shell*/ = "")
    {
        const PROCESS_INFORMATION process = Start(arguments);
        const DWORD exitCode = process.hProcess != nullptr ? Wait(process) : static_cast<DWORD>(-1);
        return {static_cast<int>(exitCode), ReadBytes(PathOf("out")), ReadBytes(PathOf("err"))};
    }
#else
    // \p shell runs first, in the same shell, after standard output and error went to "out" and "err".
    CommandResult Run(const std::vector<std::string>& arguments, const std::string& shell = "")
    {
        std::string command = "exec >" + PathOf("out") + " 2>" + PathOf("err") + " </dev/null; " + shell + "exec '"
                              + VARNUTH_CONVERT + "'";
        for (const std::string& argument : arguments) {
            command += " '";
            for (const char c : argument) {
                command += c == '\'' ? std::string("'\\''") : std::string(1, c);
            }
            command += "'";
        }
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(PathOf("out")), ReadBytes(PathOf("err"))};
    }
#endif
    [[nodiscard]] std::string PathOf(std::string_view name) const
    {
        return temp_.PathOf(name);
    }

    class StoppableRun;

    TempFolder temp_;
};

#ifdef _WIN32
// An interrupt is a console control event, delivered as Windows delivers one: by a thread started at CtrlRoutine in
// the process.
class ConvertCommandTest::StoppableRun {
public:
    StoppableRun(ConvertCommandTest& test, const std::vector<std::string>& arguments) : process_(test.Start(arguments))
    {
    }
    [[nodiscard]] bool Running() const { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // Not stopped: wine does not always survive a thread suspended at a random point. A temporary file here takes a
    // second more to finish, so it is still in flight when the interrupt comes right after the count.
    void Stop() {}
    void Interrupt(DWORD event)
    {
        const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
        ::CloseHandle(::CreateRemoteThread(process_.hProcess, nullptr, 0, routine,
                                           reinterpret_cast<void*>(static_cast<std::uintptr_t>(event)), 0, nullptr));
    }
    // As a program stopped by Ctrl+C ends.
    [[nodiscard]] bool EndedBy(DWORD /*event*/) { return Wait(process_) == static_cast<DWORD>(STATUS_CONTROL_C_EXIT); }

private:
    PROCESS_INFORMATION process_;
};
constexpr DWORD kInterrupts[] = {CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT};
#else
class ConvertCommandTest::StoppableRun {
public:
    StoppableRun(ConvertCommandTest& /*test*/, const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv = {const_cast<char*>(VARNUTH_CONVERT)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        child_ = ::fork();
        if (child_ == 0) {
            ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
            ::execv(VARNUTH_CONVERT, argv.data());
            ::_exit(127);
        }
    }
    [[nodiscard]] bool Running() { return ::waitpid(child_, &status_, WNOHANG) == 0; }
    // Once the stop has taken effect: a directory read while a file is renamed may miss it.
    void Stop()
    {
        ::kill(child_, SIGSTOP);
        ::waitpid(child_, &status_, WUNTRACED);
    }
    void Interrupt(int signal)
    {
        ::kill(child_, signal);
        ::kill(child_, SIGCONT);
    }
    [[nodiscard]] bool EndedBy(int signal)
    {
        ::waitpid(child_, &status_, 0);
        return WIFSIGNALED(status_) && WTERMSIG(status_) == signal;
    }

private:
    pid_t child_ = -1;
    int status_ = 0;
};
const int kInterrupts[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                           SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGRTMIN};
#endif

// Every exit code: what reaches standard output, what standard error holds, and that nothing else is written.
TEST_F(ConvertCommandTest, ExitCodesAndWhatEachRunPrints)
{
    WriteBytes(PathOf("in.srt"), std::string(kSubRipEntry));
    const std::string sonic = PathOf("in.txt");
    WriteBytes(sonic, "0001  00:00:20:13  00:00:24:01  Hello\r\nworld\r\n");
    WriteBytes(PathOf("one.txt"), "0001  00:00:20:13  00:00:24:01  Hello\r\n\r\n");
    WriteBytes(PathOf("large.srt"), Repeated(kSubRipEntry, 4000));
    WriteBytes(PathOf("stray.srt"), Repeated("stray\r\n", 22) + std::string(kSubRipEntry));
    WriteBytes(PathOf("target"), "keep me");
    std::string report;
    for (int line = 1; line <= 20; ++line) {
        report += "varnuth-convert: line " + std::to_string(line) + ": text outside an entry; dropped\n";
    }
    report += "varnuth-convert: ... and 2 more\n";
    const std::string in = PathOf("in.srt");
    const std::string never = PathOf("never");
    const std::string target = PathOf("target");
    const std::vector<std::string> styled = {"--font",     "Arial",      "--size",     "10.5",          "--bold",
                                             "--align",    "right",      "--primary",  "#FF0000",       "--secondary",
                                             "65280",      "--tertiary", "#0000ff",    "--margin-left", "",
                                             "--sections", in,           "/dev/stdout"};
    const std::string missing = "varnuth-convert: Cannot read the source file \"" + PathOf("missing\\033[2J\\177.srt")
                                + "\": No such file or directory\n";
    const std::string usage = "Usage: varnuth-convert [options] SOURCE TARGET";
    const std::string script = "\r\nDialogue: Marked=0,0:00:01.00,0:00:04.00,Default,TAV,0000,0000,0000,!Effect,Some words";
    fs::create_directory(PathOf("dir"));
    WriteBytes(PathOf("dir/own.ssa"), "keep me");
    const std::string quitReader =
        "mkfifo '" + PathOf("pipe") + "'; (: <'" + PathOf("pipe") + "') & exec >'" + PathOf("pipe") + "'; wait; ";
    // The arguments, the exit code, what standard error and standard output contain, and the shell's commands first.
    const std::tuple<std::vector<std::string>, int, std::string, std::string, std::string> cases[] = {
        {styled, 0, "1 rows finished!!!\n", "\r\nStyle: Default,Arial,10.5,255,65280,16711680,0,-1,0,2,0,3,,10,14\r\n\r\n[Events]\r\n", ""},
        {{in, "-"}, 0, "1 rows finished!!!\n", script, ""},
        {{"-", PathOf("out.ssa")}, 0, "", "1 rows finished!!!\n", "exec <'" + in + "'; "},
        {{"-", "-"}, 0, "1 rows finished!!!\n", script, "exec <'" + in + "'; "},
        {{in, "-"}, 1, "\"-\": it is the source file", "", "exec >>'" + in + "'; "},
        {{"-f", "stl", sonic, "/dev/stdout"}, 0, "1 rows finished!!!\n", "\r\n00:00:20:13\t,\t00:00:24:01\t,\tHello|world\r\n", ""},
        {{"-f", "stl", PathOf("one.txt"), PathOf("out.stl")}, 0, "", "0 rows finished!!!\n1 subtitle written\n", ""},
        {{"--help"}, 0, "", usage + "\n", ""},
        {{PathOf("stray.srt"), PathOf("out.ssa")}, 0, report, "1 rows finished!!!\n", ""},
        {{"--strict", PathOf("stray.srt"), PathOf("out.ssa")}, 1, report, "1 rows finished!!!\n", ""},
        {{PathOf("missing\033[2J\177.srt"), target}, 1, missing, "", ""},
        {{PathOf("c1\xC2\x9B\x9B\xC3\xA9.srt"), target}, 1, "c1\\302\\233\\233\xC3\xA9.srt\"", "", ""},
        {{in, "/dev/stdout"}, 1, "standard output is not open; the target file was not changed", "", "exec >&-; "},
        {{"--help"}, 1, "write error on standard output: Broken pipe", "", quitReader},
        {{"--help"}, 1, "write error on standard output: No space left on device", "", "exec >/dev/full; "},
        {{"--version"}, 1, "write error on standard output: Bad file descriptor", "", "exec >&-; "},
        {{in, PathOf("out.ssa")}, 1, "write error on standard output", "", "exec >/dev/full; "},
        {{PathOf("large.srt"), target}, 1, "File too large; the target file was not changed", "", "ulimit -f 64; "},
        {{"--frobnicate", in, never}, 2, "unknown option '--frobnicate'", "", ""},
        {{"-bx.srt", in, never}, 2, "unknown option '-b'", "", ""},
        {{"-f", "sub", in, never}, 2, "unknown format 'sub'", "", ""},
        {{"--primary", "#12345", in, never}, 2, "invalid colour", "", ""},
        {{"--primary", "16777216", in, never}, 2, "invalid colour", "", ""},
        {{"--align", "middle", in, never}, 2, "unknown alignment", "", ""},
        {{"--size", "18\r\nDialogue: injected", in, never}, 2, "--size must not hold a line break", "", ""},
        {{"--margin-bottom", "14\n", in, never}, 2, "--margin-bottom must not hold a line break", "", ""},
        {{"--font", "Arial\r", in, never}, 2, "--font must not hold a line break", "", ""},
        {{"--font", "", in, never}, 2, "--font must not be empty", "", ""},
        {{"--size", "", in, never}, 2, "--size must not be empty", "", ""},
        {{"", never}, 2, "SOURCE and TARGET must not be empty", "", ""},
        {{in, ""}, 2, "SOURCE and TARGET must not be empty", "", ""},
        {{in}, 2, "SOURCE and TARGET are both needed", "", ""},
        {{in, never, "extra"}, 2, "too many operands", "", ""},
        {{in, never, "--font"}, 2, "option '--font' needs a value", "", ""},
        {{"--sections", "-f", "son", in, never}, 2, "--sections is for the SSA format only", "", ""},
        {{"-f", "ass", "--size", "10,5", in, "/dev/stdout"}, 0, "1 rows finished!!!\n", "\r\nStyle: Default,VNI-Helve,10.5,&H00FFFFFF,", ""},
        {{"-f", "ass", "--margin-right", "10000", in, never}, 2, "The right margin must be a whole number", "", ""},
        {{"--play-res", "640x480", in, never}, 2, "--play-res is for the ASS format only", "", ""},
        {{"--encoding", "cp1251", in, never}, 2, "--encoding is for the ASS format only", "", ""},
        {{"-f", "ass", "--encoding", "nonsense", in, never}, 2, "unknown encoding 'nonsense'", "", ""},
        {{"-f", "ass", "--play-res", "640x0", in, never}, 2, "invalid --play-res '640x0'", "", ""},
        {{"--format=stl", "--sections", in, never}, 2, "--sections is for the SSA format only", "", ""},
        {{"-t", never, in}, 2, "The target folder \"" + never + "\": No such file or directory", "", ""},
        {{"--target-directory=" + in, in}, 2, "\": Not a directory", "", ""},
        {{"-t", PathOf("dir"), in, PathOf("in.ssa")}, 2, "would both write \"" + PathOf("dir/in.ssa"), "", ""},
        {{"-t", PathOf("dir"), PathOf("dir/own.ssa")}, 2, "\"" + PathOf("dir/own.ssa") + "\" is also a source", "", ""},
        {{"-t", PathOf("dir"), PathOf("dir/")}, 2, "names no file", "", ""},
        {{"-t", PathOf("dir"), "-"}, 2, "standard input (-) has no name", "", ""},
        {{"-t", PathOf("dir"), "-t", PathOf("dir"), in}, 2, "only one target folder", "", ""},
        {{"-t", PathOf("dir")}, 2, "SOURCE is needed", "", ""},
        {{"-j", "2", in, never}, 2, "-j, --jobs is for -t DIR only", "", ""},
        {{"-t", PathOf("dir"), "--jobs=0", in}, 2, "invalid number of jobs '0'", "", ""},
    };
    for (const auto& [arguments, exitCode, err, out, shell] : cases) {
        // The rows that need a POSIX shell or /dev/stdout, and names of raw bytes, which Windows cannot hold (its
        // Chinese and Vietnamese names are WindowsFilesTest's).
        const auto raw = [](char c) { return (static_cast<unsigned char>(c) & 0x80U) != 0; };
        if (kWindows && (!shell.empty() || arguments.back() == "/dev/stdout" || std::ranges::any_of(arguments[0], raw))) {
            continue;
        }
        const CommandResult result = Run(arguments, shell);
        EXPECT_EQ(result.exitCode, exitCode) << err << result.err;
        EXPECT_NE(result.out.find(out), std::string::npos) << out;
        EXPECT_TRUE(exitCode != 2 || result.out.empty()) << err;
        EXPECT_NE(result.err.find(err), std::string::npos) << err << " in " << result.err;
        EXPECT_EQ(result.err.find(usage) != std::string::npos, exitCode == 2) << err;
        EXPECT_TRUE(exitCode != 0 || result.err == err) << result.err;
        EXPECT_FALSE(fs::exists(never)) << err;
        EXPECT_EQ(ReadBytes(target), "keep me");
        EXPECT_EQ(ReadBytes(PathOf("dir/own.ssa")), "keep me");
        EXPECT_EQ(std::distance(fs::directory_iterator(PathOf("dir")), fs::directory_iterator()), 1) << err;
    }
    EXPECT_TRUE(kWindows || fs::is_symlink("/dev/stdout")); // the system's own link is written through, not replaced
}

// The format words are written out by hand only in the manual page and the completion; they must be the table's.
TEST_F(ConvertCommandTest, EveryListOfFormatsIsTheTables)
{
    const std::string page = ReadBytes(fs::path(VARNUTH_CLI_DIR) / "varnuth-convert.1");
    const std::string completion = ReadBytes(fs::path(VARNUTH_CLI_DIR) / "varnuth-convert.bash-completion");
    EXPECT_NE(page.find(R"(\-\-format " " )" + CommandWords(" | ") + "\n"), std::string::npos);
    EXPECT_NE(completion.find("compgen -W '" + CommandWords(" ") + "'"), std::string::npos);
    EXPECT_NE(Run({"--help"}).out.find(" --format " + CommandWords("|") + " "), std::string::npos);
    EXPECT_EQ(TargetFilter(), "SSA script (*.ssa)|*.ssa|ASS script (*.ass)|*.ass|Fabsub Text (*.txt)|*.txt|SON DVDMaestro (*.son)|*.son|"
                              "STL DVDMaestro (*.stl)|*.stl|All files|*.*");
}

// Each source in the order given, whether one or four run at once: a slow source first, then a failing one and one
// with a line not converted. A failure fails the batch, and so does, under --strict, a line not converted.
TEST_F(ConvertCommandTest, BatchReportsEachSourceInTheOrderGiven)
{
    fs::create_directory(PathOf("into"));
    WriteBytes(PathOf("slow.srt"), Repeated(kSubRipEntry, 30000));
    WriteBytes(PathOf("stray.txt"), "stray\r\n" + std::string(kSubRipEntry));
    WriteBytes(PathOf("ep.02.srt"), std::string(kSubRipEntry));
    const std::vector<std::string> all = {PathOf("slow.srt"), PathOf("missing.srt"), PathOf("stray.txt"),
                                          PathOf("ep.02.srt")};
    const std::string last = PathOf("stray.txt") + ": 1 rows finished!!!\n" + PathOf("ep.02.srt") + ": 1 rows finished!!!\n";
    const std::string stray = PathOf("stray.txt") + ":1: text outside an entry; dropped\n";
    const std::string missing = "varnuth-convert: " + PathOf("missing.srt") + ": Cannot read the source file \""
                                + PathOf("missing.srt") + "\": No such file or directory\n";
    // The options before the sources, the sources, the exit code, and what standard output and error hold.
    const std::tuple<std::vector<std::string>, std::vector<std::string>, int, std::string, std::string> cases[] = {
        {{"-j", "1"}, all, 1, PathOf("slow.srt") + ": 30000 rows finished!!!\n" + last, missing + stray},
        {{"-j", "4"}, all, 1, PathOf("slow.srt") + ": 30000 rows finished!!!\n" + last, missing + stray},
        {{"--jobs=4"}, {all[2], all[3]}, 0, last, stray},
        {{"--strict"}, {all[2], all[3]}, 1, last, stray},
    };
    for (const auto& [options, sources, exitCode, out, err] : cases) {
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"-t", PathOf("into")});
        arguments.insert(arguments.end(), sources.begin(), sources.end());
        const CommandResult result = Run(arguments);
        SCOPED_TRACE(options.front());
        EXPECT_EQ(result.exitCode, exitCode);
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, err);
        EXPECT_EQ(ReadBytes(PathOf("into/ep.02.ssa")), ReadBytes(PathOf("into/stray.ssa")));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(PathOf("into")), fs::directory_iterator()), 3);
}

// Stopped while its temporary files exist, then interrupted: it removes them all, keeps the targets finished before,
// and ends as the interrupt ends a program.
TEST_F(ConvertCommandTest, InterruptsRemoveEveryTemporaryFile)
{
    WriteBytes(PathOf("large.txt"),
               Repeated("0001  00:00:20:13  00:00:24:01  " + std::string(4000, 'w') + "\n", 20000));
    fs::create_hard_link(PathOf("large.txt"), PathOf("large2.txt"));
    WriteBytes(PathOf("small.txt"), std::string(kSonicEntry));
    WriteBytes(PathOf("target"), "keep me");
    fs::create_directory(PathOf("out"));
    const auto temporaryFiles = [](const std::string& folder) {
        return std::count_if(fs::directory_iterator(folder), fs::directory_iterator(),
                             [](const auto& file) { return file.path().filename().string().starts_with("."); });
    };
    // The arguments, the targets' folder, the temporary files in flight and the target finished before the signal.
    const std::tuple<std::vector<std::string>, std::string, std::ptrdiff_t, std::string> cases[] = {
        {{"-f", "son", PathOf("large.txt"), PathOf("target")}, temp_.path().string(), 1, PathOf("target")},
        {{"-f", "son", "-j", "2", "-t", PathOf("out"), PathOf("small.txt"), PathOf("large.txt"), PathOf("large2.txt")},
         PathOf("out"), 2, PathOf("out/small.son")},
    };
    for (const auto interrupt : kInterrupts) {
        SCOPED_TRACE(interrupt);
        for (const auto& [arguments, folder, inFlight, finished] : cases) {
            fs::remove(PathOf("out/small.son"));
            StoppableRun run(*this, arguments);
            // The finished target first: a temporary file counted before it was renamed is not in flight.
            bool running = true;
            while ((!fs::exists(finished) || temporaryFiles(folder) < inFlight) && (running = run.Running())) {
            }
            ASSERT_TRUE(running) << "the run ended before it could be stopped";
            run.Stop();
            const std::ptrdiff_t midRun = temporaryFiles(folder);
            run.Interrupt(interrupt);
            EXPECT_TRUE(run.EndedBy(interrupt));
            ASSERT_EQ(midRun, inFlight);
            EXPECT_EQ(temporaryFiles(folder), 0);
            EXPECT_FALSE(ReadBytes(finished).empty());
        }
    }
    EXPECT_EQ(ReadBytes(PathOf("target")), "keep me");
}

#ifndef _WIN32
// strace delivers a signal as a system call returns: during the data's sync the run ends and leaves the target;
// right after the rename it has replaced the target and says so. The sync comes before the rename.
TEST_F(ConvertCommandTest, ASignalAtTheReplacementAndTheSyncBeforeIt)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "strace is not installed";
    }
    WriteBytes(PathOf("in.srt"), kSubRipEntry);
    const std::string strace = "strace -f -o '" + PathOf("trace") + "' -e trace=fdatasync,renameat,renameat2 ";
    // What strace injects, the exit code, the output, and whether the target was replaced.
    const std::tuple<std::string, int, std::string, bool> cases[] = {
        {"-e inject=fdatasync:signal=TERM ", 128 + SIGTERM, "", false},
        {"-e inject=renameat,renameat2:signal=TERM ", 0, "1 rows finished!!!\n", true}};
    for (const auto& [inject, exitCode, out, replaced] : cases) {
        WriteBytes(PathOf("target"), "keep me");
        // LeakSanitizer cannot work under ptrace, and would end the traced run itself.
        std::string command =
            "export ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\"; exec >'" + PathOf("out") + "' 2>/dev/null; ";
        command += strace + inject + VARNUTH_CONVERT + " '" + PathOf("in.srt") + "' '" + PathOf("target") + "'; ";
        command += "echo $? >'" + PathOf("exit") + "'";
        std::system(command.c_str());
        EXPECT_EQ(ReadBytes(PathOf("exit")), std::to_string(exitCode) + "\n") << inject;
        EXPECT_EQ(ReadBytes(PathOf("out")), out) << inject;
        EXPECT_EQ(ReadBytes(PathOf("target")) != "keep me", replaced) << inject;
        const std::string trace = ReadBytes(PathOf("trace"));
        EXPECT_LT(trace.find("fdatasync("), trace.find("rename")) << trace;
        EXPECT_EQ(std::distance(fs::directory_iterator(temp_.path()), fs::directory_iterator()), 5);
    }
}
#endif

} // namespace
} // namespace varnuth::test
