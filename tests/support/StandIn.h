#ifndef StandInH
#define StandInH

#include <functional>
#include <string>
#include <vector>

#include "platform/Application.h"

namespace testsupport {

// The SQL Server stand-in, started on a free loopback port with a fixture
// (JSON text) and stopped at the end.
class StandIn {
public:
    explicit StandIn(const std::string& fixtureJson, const std::vector<std::string>& options = {});
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    int Port() const { return port_; }
    // "127.0.0.1,PORT", the host text a user types for this server.
    std::string Host() const { return "127.0.0.1," + std::to_string(port_); }

private:
    int pid_ = -1;
    int port_ = 0;
    std::string fixturePath_;
};

// A fixture with the password and databases given as JSON fragments.
std::string Fixture(const std::string& databasesJson,
                    const std::string& saPassword = "Pellam#2026");

// Records every message box and answers from a script (IDOK when it runs out).
class RecordingMessageBoxes : public platform::MessageBoxService {
public:
    struct Box {
        std::string Text, Caption;
        int Flags;
    };
    RecordingMessageBoxes();
    ~RecordingMessageBoxes() override;
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;

    std::vector<Box> Shown;
    std::vector<int> Answers;
    // Runs as each box shows, while its caller waits.
    std::function<void()> OnShow;

private:
    platform::MessageBoxService* previous_;
};

}  // namespace testsupport

#endif
