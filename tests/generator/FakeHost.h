#ifndef FakeHostH
#define FakeHostH

#include "generator/Run.h"
#include "platform/Application.h"
#include "platform/Text.h"

#include <map>
#include <string>
#include <vector>

// Records what the run tells and asks, and answers from a script: an
// answer IDYES clears, anything else (and no answer) keeps the old files.
class FakeHost : public RunHost {
public:
    // A notice, or the clearing question (What == kQuestion).
    struct Box {
        std::string Text;
        int What;
        std::vector<std::string> Problems = {};
    };
    static constexpr int kQuestion = -1;

    bool ClearEarlierOutput(std::size_t files) override
    {
        Boxes.push_back({"是否清除上一次生成的文件？", kQuestion});
        QuestionCounts.push_back(files);
        if (Answers.empty())
            return false;
        int answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer == platform::IDYES;
    }
    void Tell(const RunNotice& notice) override
    {
        Boxes.push_back({notice.Text, notice.What, notice.Problems});
        Objects.push_back(notice.Object);
    }
    // Each tree's events, as "started", "object N", "done" and "refused";
    // the files written, as "K/N" in Written; and every event in Order.
    void Progress(const RunEvent& event) override
    {
        static const char* const kinds[] = {"started", "object", "done", "refused", "written"};
        std::string text = kinds[event.What];
        if (event.What == RunEvent::FilesWritten) {
            Written.push_back(std::to_string(event.Index) + "/" + std::to_string(event.Total));
            Order.push_back("written");
            return;
        }
        if (event.What == RunEvent::ObjectStarted)
            text += " " + std::to_string(event.Index);
        (event.Tree == ProgressLabel::Tables ? TableEvents : ViewEvents).push_back(text);
        Order.push_back(text);
    }
    void ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep) override
    {
        ++Clears;
        ClearOutputExcept(tree, keep);
    }
    void OpenOutputRoot(const std::string& path) override { Opened.push_back(path); }

    std::vector<Box> Boxes;
    std::vector<std::string> Objects;  // of each notice
    std::vector<int> Answers;
    std::vector<std::size_t> QuestionCounts;  // the files each question said it would delete
    std::vector<std::string> TableEvents, ViewEvents, Opened, Written, Order;
    int Clears = 0;
};

#endif
