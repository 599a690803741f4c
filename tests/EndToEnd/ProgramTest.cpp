// Starts the real program as the player would, from its game folder, and ends it from outside.
#include "Platform/Win32/Windows.h"
#include "Support/GameFolder.h"
#include "Support/TempDir.h"
#include "System/Common/GameSettings.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <signal.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string kProgram = std::string(QM_GAME_DIR) + "/bin/quillmark";

std::string UserName()
{
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The keys of each section of an ini file.
std::map<std::string, std::set<std::string>> IniKeys(const std::string& text)
{
    std::map<std::string, std::set<std::string>> keys;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']')
            section = line.substr(1, line.size() - 2);
        else if (const size_t eq = line.find('='); eq != std::string::npos)
            keys[section].insert(line.substr(0, eq));
    }
    return keys;
}

class Program {
  public:
    // Starts the program in the folder, its output going to a file; extra environment as "NAME=value".
    Program(const std::string& program, const std::string& workingDir, const std::string& outputPath,
            const std::string& environment = "")
    {
        // Everything the child needs is made before the fork: only async-signal-safe calls may
        // follow it in a process that has other threads (the sanitizers' among them).
        // Mesa's shader cache stays off: with cached shaders on one or two cores the leak
        // checker's own tracer crashes at the program's exit, a fault of the tool that would
        // show as a failed exit.
        std::vector<std::string> overrides = {"MESA_SHADER_CACHE_DISABLE=true"};
        if (!environment.empty())
            overrides.push_back(environment);
        auto overridden = [&](std::string_view variable) {
            for (const std::string& o : overrides)
                if (variable.substr(0, o.find('=') + 1) == std::string_view(o).substr(0, o.find('=') + 1))
                    return true;
            return false;
        };
        std::vector<std::string> variables;
        for (char** e = environ; *e; ++e)
            if (!overridden(*e))
                variables.emplace_back(*e);
        variables.insert(variables.end(), overrides.begin(), overrides.end());
        std::vector<char*> envp;
        for (std::string& v : variables)
            envp.push_back(v.data());
        envp.push_back(nullptr);
        char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};

        m_Pid = fork();
        if (m_Pid == 0) {
            const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || chdir(workingDir.c_str()) != 0)
                _exit(126);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execve(program.c_str(), argv, envp.data());
            _exit(127);
        }
    }
    ~Program()
    {
        if (m_Pid > 0 && !m_bReaped) {
            kill(m_Pid, SIGKILL);
            waitpid(m_Pid, nullptr, 0);
        }
    }

    pid_t Pid() const { return m_Pid; }

    // The exit status, or -1 if the program has not ended within the time or did not exit normally.
    int Wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            const pid_t done = waitpid(m_Pid, &status, WNOHANG);
            if (done == m_Pid) {
                m_bReaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    // Voluntary context switches of the main thread: a paced loop sleeps once per frame.
    long VoluntarySwitches() const
    {
        std::istringstream status(ReadAll("/proc/" + std::to_string(m_Pid) + "/status"));
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                return std::stol(line.substr(line.find(':') + 1));
        return -1;
    }

  private:
    pid_t m_Pid = -1;
    bool m_bReaped = false;
};

} // namespace

TEST(Program, RunsUntilAskedToStopAndSavesEverySetting)
{
    ASSERT_TRUE(std::filesystem::exists(kProgram)) << kProgram;
    PrivateGameFolder game; // the shared folder's settings stay untouched by parallel runs
    const std::string ini = game.File("userdata/" + UserName() + "/QMPref.ini");
    TempDir logs;

    for (int signal : {SIGINT, SIGTERM}) {
        std::filesystem::remove(ini);
        const std::string output = logs.File("run.log");
        Program program(game.Program(), game.BinFolder(), output);
        ASSERT_GT(program.Pid(), 0);

        // Let it start, then watch it tick for a second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ASSERT_EQ(program.Wait(std::chrono::milliseconds(0)), -1) << "ended early:\n" << ReadAll(output);
        // A paced frame sleeps for what is left of its period; on a busy machine frames overrun
        // and skip the sleep, so the sleeps are waited for rather than counted over one second.
        const long before = program.VoluntarySwitches();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        long ticks = 0;
        while ((ticks = program.VoluntarySwitches() - before) < 30 && std::chrono::steady_clock::now() < deadline &&
               program.Wait(std::chrono::milliseconds(0)) == -1)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_GE(ticks, 30) << "the main thread does not pace frames";

        kill(program.Pid(), signal);
        EXPECT_EQ(program.Wait(std::chrono::seconds(20)), 0) << "signal " << signal << ":\n" << ReadAll(output);
        EXPECT_EQ(ReadAll(output).find(":ERROR:"), std::string::npos) << ReadAll(output);
        // The demo data's prerequisite says its one line as the world starts.
        EXPECT_NE(ReadAll(output).find(":INFO:"), std::string::npos) << ReadAll(output);
        EXPECT_NE(ReadAll(output).find("] prerequisites: demo data ready\n"), std::string::npos) << ReadAll(output);

        const auto keys = IniKeys(ReadAll(ini));
        std::map<std::string, std::set<std::string>> expected = {
            {"GameConfig", {"FullScreen", "DisableScreensaver", "WindowTransmittance", "AutoSave"}},
            {"Sound", {"BGMVolume", "SEVolume"}},
        };
        for (int i = 0; i < eGameSettings_BindingCount; ++i)
            expected["Key"].insert(GetBindingKeyName(i));
        EXPECT_EQ(keys, expected) << ReadAll(ini);
        size_t count = 0;
        for (const auto& section : keys)
            count += section.second.size();
        EXPECT_EQ(count, 38u);
    }
}

TEST(Program, StopsWithAnErrorWhenNoWindowCanBeOpened)
{
    ASSERT_TRUE(std::filesystem::exists(kProgram)) << kProgram;
    TempDir game; // a game folder of its own, so the real one's settings stay untouched
    game.WriteFile("bin/.keep", "");
    const std::string output = game.File("run.log");
    Program program(kProgram, game.File("bin"), output, "SDL_VIDEODRIVER=no-such-driver");
    ASSERT_GT(program.Pid(), 0);
    const int status = program.Wait(std::chrono::seconds(20));
    const std::string log = ReadAll(output);
    EXPECT_NE(status, 0) << log;
    EXPECT_NE(status, -1) << "did not exit by itself:\n" << log;
    EXPECT_NE(log.find(":ERROR:"), std::string::npos) << log;
    EXPECT_NE(log.find("no-such-driver"), std::string::npos) << log; // the reason is named
}

// Deep game folders: paths past the 260 bytes of a fixed buffer lose nothing, and nothing in the
// log is an error.
TEST(Program, RunsFromADeepGameFolder)
{
    ASSERT_TRUE(std::filesystem::exists(kProgram)) << kProgram;
    std::string below;
    while (below.size() < 400)
        below += "a_rather_long_folder_name_" + std::to_string(below.size()) + "/";
    below += "game";
    PrivateGameFolder game(below);
    ASSERT_GE(game.BinFolder().size(), 400u);
    TempDir logs;
    const std::string output = logs.File("run.log");
    Program program(game.Program(), game.BinFolder(), output);
    ASSERT_GT(program.Pid(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ASSERT_EQ(program.Wait(std::chrono::milliseconds(0)), -1) << "ended early:\n" << ReadAll(output);
    kill(program.Pid(), SIGINT);
    EXPECT_EQ(program.Wait(std::chrono::seconds(20)), 0) << ReadAll(output);
    EXPECT_EQ(ReadAll(output).find(":ERROR:"), std::string::npos) << ReadAll(output);
    EXPECT_TRUE(std::filesystem::exists(game.File("userdata/" + UserName() + "/QMPref.ini")));
}
