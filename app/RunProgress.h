#ifndef AppRunProgressH
#define AppRunProgressH

// What a run asks of the window and tells it: the question about old
// files, the notices in their boxes (a refusal in its report), and the
// progress under the trees.

#include <chrono>
#include <string>
#include <vector>

#include "generator/Run.h"
#include "platform/Forms.h"

class TMainForm;

// A label that grows with its text from its left edge.
void SetGrowingText(platform::TLabel* label, const std::string& text);

class WindowRunHost : public RunHost {
public:
    explicit WindowRunHost(TMainForm* form) : form_(form) { }
    bool ClearEarlierOutput(std::size_t files) override;
    // Each notice in its box: caption and icon by what happened.
    void Tell(const RunNotice& notice) override;
    void Progress(const RunEvent& event) override;
    // Waits for the clearing without processing messages.
    void ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep) override;
    // Without a file manager the user still learns where the files went.
    void OpenOutputRoot(const std::string& path) override;

private:
    // Keeps a notice of objects left out for the list the window offers.
    void LeaveOut(const RunNotice& notice);

    TMainForm* form_;
    // What was left out (tables without key methods, relations), each
    // with its count and every one named.
    std::vector<RunNotice> notes_;
    std::chrono::steady_clock::time_point shown_{};  // when the progress last showed
};

#endif
