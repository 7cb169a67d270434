#ifndef FakeHostH
#define FakeHostH

#include "generator/Run.h"
#include "platform/Application.h"

#include <map>
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
    // Each tree's events, as "started", "object N" and "done".
    void Progress(const RunEvent& event) override
    {
        static const char* const kinds[] = {"started", "object", "done"};
        std::string text = kinds[event.What];
        if (event.What == RunEvent::ObjectStarted)
            text += " " + std::to_string(event.Index);
        (event.Tree == ProgressLabel::Tables ? TableEvents : ViewEvents).push_back(text);
    }
    void ClearOutput(const OutputTree& tree) override
    {
        ++Clears;
        RunClearingScript(tree);
    }
    void OpenOutputRoot(const std::string& path) override { Opened.push_back(path); }

    std::vector<Box> Boxes;
    std::vector<int> Answers;
    std::vector<std::string> TableEvents, ViewEvents, Opened;
    int Clears = 0;
};

#endif
