#ifndef FakeHostH
#define FakeHostH

#include "generator/Run.h"
#include "platform/Application.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// Records what the run says and shows, and answers from a script.
class FakeHost : public RunHost {
public:
    struct Box {
        std::string Text, Caption;
        int Flags;
    };

    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        Boxes.push_back({text, caption, flags});
        if (Answers.empty())
            return (flags & 0x0F) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
        int answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    }
    void SetProgress(ProgressLabel label, const std::string& caption) override
    {
        (label == ProgressLabel::Tables ? TableLabel : ViewLabel).push_back(caption);
    }
    void ProcessMessages() override
    {
        ++Pumps;
        if (OnPump)
            OnPump();
    }
    void ClearOutput(const OutputTree& tree) override
    {
        ++Clears;
        RunClearingScript(tree);
    }
    void OpenOutputRoot(const std::string& path) override { Opened.push_back(path); }
    bool IsUnholdableName(const std::string& name) override { return Unholdable.count(name) != 0; }

    std::vector<Box> Boxes;
    std::vector<int> Answers;
    std::vector<std::string> TableLabel, ViewLabel, Opened;
    std::set<std::string> Unholdable;
    int Pumps = 0, Clears = 0;
    std::function<void()> OnPump;
};

#endif
