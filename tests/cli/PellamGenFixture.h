#ifndef PellamGenFixtureH
#define PellamGenFixtureH

// pellam-gen's tests share one fixture: a stand-in with NOLK, a Chinese
// database and Alpha, and pellam-gen run as a user's shell would, with
// the demo password in PW.

#include "platform/Text.h"
#include "support/StandIn.h"
#include "support/TestSupport.h"
#include "cli/Snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::Fixture;
using testsupport::ListFiles;
using testsupport::ReadFile;
using testsupport::StandIn;
using testsupport::TempDir;

inline const std::string kNolk =
    std::string(testsupport::kLogStaffViewDatabase) + R"(, {"name": "中文", "objects": [
  {"name": "用户表", "columns": [{"name": "编号", "type": "int", "identity": true},
    {"name": "姓名", "type": "nvarchar"}, {"name": "年龄", "type": "int"}]}]},
  {"name": "Alpha", "objects": [
  {"name": "A", "columns": [{"name": "x", "type": "int"}]},
  {"name": "B", "columns": [{"name": "g", "type": "uniqueidentifier"}]},
  {"name": "C", "columns": [{"name": "y", "type": "int"}]},
  {"name": "V", "xtype": "V", "columns": [{"name": "c", "type": "int"}]}]})";

struct Outcome {
    int Code;
    std::string Out, Err;
};

class PellamGen : public ::testing::Test {
protected:
    PellamGen() : server(Fixture(kNolk)) { }

    // Runs pellam-gen with the arguments (a shell fragment) and the demo
    // password in PW.
    Outcome Run(const std::string& args, const std::string& input = "",
                const std::string& environment = "")
    {
        std::string command = environment + " PW='Pellam#2026' " + std::string(PELLAM_GEN) + " " +
                              args + " > " + dir.File("out") + " 2> " + dir.File("err");
        if (!input.empty())
            command = "printf '%s\\n' '" + input + "' | (" + command + ")";
        int status = std::system(command.c_str());
        return {WEXITSTATUS(status), ReadFile(dir.File("out")), ReadFile(dir.File("err"))};
    }
    std::string Connection() { return "--host " + server.Host() + " --password-env PW"; }

    StandIn server;
    TempDir dir;
};

inline const auto& kRelabelledFiles = testsupport::kLogStaffUsersFiles;

#endif
