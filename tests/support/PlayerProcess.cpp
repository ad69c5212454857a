#include "support/PlayerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/TestPlayer.h"

extern char** environ;

namespace led::test {

std::vector<nlohmann::json> PlayerRun::Events(const std::string& name) const {
    std::vector<nlohmann::json> out;
    for (const auto& e : events)
        if (e.value("event", "") == name) out.push_back(e);
    return out;
}

double SecondOfDay(const nlohmann::json& event) {
    int y, mo, d, h, mi, s, ms;
    std::sscanf(event["time"].get<std::string>().c_str(), "%d-%d-%d %d:%d:%d.%d", &y, &mo, &d, &h,
                &mi, &s, &ms);
    return h * 3600 + mi * 60 + s + ms / 1000.0;
}

pid_t SpawnPlayer(const std::filesystem::path& root, const std::vector<std::string>& args,
                  const std::string& logLevel, const std::filesystem::path& workingDir) {
    std::vector<std::string> argv = {
        LEDPLAYER_BIN_DIR "/ledplayer", "--root", root.string(), "--events",
        EventsPathOf(root).string(), "--backend", "headless", "--log-level", logLevel,
        // Free control ports on loopback: tests run side by side.
        "--set", "net.listen-address=127.0.0.1", "--set", "net.tcp-port=0", "--set",
        "net.udp-port=0", "--set", "net.text-port=0"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, OutputPathOf(root).c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    pid_t pid = 0;
    int rc = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

std::filesystem::path EventsPathOf(const std::filesystem::path& root) {
    return root.parent_path() / (root.filename().string() + "-events.jsonl");
}

std::filesystem::path OutputPathOf(const std::filesystem::path& root) {
    return root.parent_path() / (root.filename().string() + "-output.txt");
}

PlayerRun RunPlayer(const std::filesystem::path& root, const std::vector<std::string>& args,
                    int timeoutSeconds, const std::filesystem::path& workingDir) {
    PlayerRun run;
    auto eventsPath = EventsPathOf(root);
    auto outputPath = OutputPathOf(root);
    pid_t pid = SpawnPlayer(root, args, "warn", workingDir);
    if (pid < 0) return run;

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(eventsPath);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) run.events.push_back(nlohmann::json::parse(line, nullptr, false));
    std::ifstream out(outputPath);
    std::stringstream ss;
    ss << out.rdbuf();
    run.output = ss.str();
    if (WIFSIGNALED(status))
        run.output += "\n[killed by signal " + std::to_string(WTERMSIG(status)) + "]\n";
    return run;
}

std::string AreaXml(int type, int items, int x, int y, int w, int h) {
    std::ostringstream a;
    a << "<area id=\"0\" x=\"" << x << "\" y=\"" << y << "\" w=\"" << w << "\" h=\"" << h
      << "\" type=\"" << type << "\"><name>a</name>";
    for (int i = 0; i < items; ++i)
        a << "<filename id=\"" << i << "\"><filepath>p" << i
          << ".bmp</filepath><remain>1</remain></filename>";
    a << "</area>";
    return a.str();
}

std::string PlaylistXml(const std::vector<TestProgram>& programs) {
    std::ostringstream x;
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><screens><screen w=\"1920\" "
         "h=\"1080\"><programs>\n";
    for (const auto& p : programs) {
        x << "<program id=\"" << p.id << "\"";
        if (p.osd >= 0) x << " osd=\"" << p.osd << "\"";
        x << "><playtime>" << p.playtime << "</playtime><playtimes>" << p.playtimes
          << "</playtimes><waitfinish>" << p.waitfinish << "</waitfinish>"
          << "<schedule priority=\"" << p.priority << "\"><weekday>0123456</weekday>"
          << "<begindate>2026-1-1</begindate><enddate>2036-1-1</enddate>" << p.windows
          << "</schedule>";
        for (const auto& a : p.areas) x << a;
        x << "</program>\n";
    }
    x << "</programs></screen></screens></root>\n";
    return x.str();
}

void MakeDeviceRoot(const std::filesystem::path& root, const std::string& playlistXml) {
    std::filesystem::create_directories(root / "nand" / "table");
    std::filesystem::create_directories(root / "Storage Card" / "video");
    std::filesystem::create_directories(root / "Storage Card" / "videotemp");
    WriteHostFile(root / "nand" / "ver.dat", std::string("\x02\x03\x00\x01", 4));
    WriteHostFile(root / "nand" / "table" / "configshow.dat", "");  // no boot screen wait
    WriteHostFile(root / "Storage Card" / "xml" / "playlist.xml", playlistXml);
}

}  // namespace led::test
