#include "StandIn.h"

#include "TestSupport.h"

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

int fixtureSerial = 0;

}  // namespace

StandIn::StandIn(const std::string& fixtureJson, const std::vector<std::string>& options)
{
    fixturePath_ = "/tmp/pellam-fixture-" + std::to_string(getpid()) + "-" +
                   std::to_string(++fixtureSerial) + ".json";
    WriteFile(fixturePath_, fixtureJson);

    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        std::vector<std::string> args = {"python3",    PELLAM_STANDIN, "--fixture",
                                         fixturePath_, "--port",       "0"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp("python3", argv.data());
        _exit(127);
    }
    close(out[1]);
    std::FILE* f = fdopen(out[0], "r");
    char line[256] = {0};
    if (!f || !std::fgets(line, sizeof line, f) ||
        std::sscanf(line, "listening on 127.0.0.1:%d", &port_) != 1) {
        if (f)
            std::fclose(f);
        throw std::runtime_error("the stand-in did not start");
    }
    std::fclose(f);
}

StandIn::~StandIn()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::remove(fixturePath_.c_str());
}

std::string Fixture(const std::string& databasesJson, const std::string& saPassword)
{
    std::string escaped;
    for (char c : saPassword) {
        if (c == '"' || c == '\\')
            escaped += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return "{\"logins\": {\"sa\": \"" + escaped + "\"}, \"databases\": [" + databasesJson + "]}";
}

RecordingMessageBoxes::RecordingMessageBoxes()
    : previous_(platform::Application.SetMessageBoxService(this))
{
}

RecordingMessageBoxes::~RecordingMessageBoxes()
{
    platform::Application.SetMessageBoxService(previous_);
}

int RecordingMessageBoxes::MessageBox(const std::string& text, const std::string& caption,
                                      int flags)
{
    Shown.push_back({text, caption, flags});
    if (OnShow)
        OnShow();
    if (Answers.empty())
        return platform::IDOK;
    int answer = Answers.front();
    Answers.erase(Answers.begin());
    return answer;
}

}  // namespace testsupport
