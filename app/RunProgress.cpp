#include "RunProgress.h"

#include "Main.h"
#include "Options.h"
#include "platform/Application.h"

#include <algorithm>

// A label that grows with its text from its left edge.
void SetGrowingText(platform::TLabel* label, const std::string& text)
{
    if (label->Caption() == text)
        return;
    label->SetCaption(text);
    platform::TRect r = label->Bounds();
    label->SetBounds(r.Left, r.Top, std::max(3, label->TextWidth()), 13);
}

bool WindowRunHost::ClearEarlierOutput(std::size_t files)
{
    // What the labels say while the question is open.
    for (platform::TLabel* each : {form_->Label5, form_->Label3})
        SetGrowingText(each, "等待选择是否清除旧文件...");
    return platform::Application
               .MessageBox("是否清除上一次生成的文件？\n将删除 " + std::to_string(files) +
                               " 个这次不再生成的文件（DBComm 目录树中以前生成的，其他文件不动）。",
                           "提示",
                           platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

void WindowRunHost::Tell(const RunNotice& notice)
{
    const char* caption = "提示";
    int icon = platform::MB_ICONWARNING;
    switch (notice.What) {
    case RunNotice::NotLoggedIn:
        icon = platform::MB_ICONQUESTION;
        break;
    case RunNotice::FolderFailed:
        caption = "警告";
        break;
    case RunNotice::NameRefused:
    case RunNotice::TypeUnsupported:
        if (!notice.Groups.empty()) {
            // A refusal: the report of every problem, in a dialog that
            // fits the screen.
            if (form_->ShowReport)
                form_->ShowReport(notice);
            return;
        }
        break;
    case RunNotice::ConnectionLost:
        break;
    case RunNotice::ProceduresLeftOut:
        // Not a failure: said above the procedure tree, each one in
        // its hint and in the list of what was left out.
        SetGrowingText(form_->Label8, "存储过程：" + notice.Text.substr(0, notice.Text.find(' ')) +
                                          " 个未生成（参数类型无法生成）");
        form_->Label8->SetHint(notice.Text);
        LeaveOut(notice);
        return;
    case RunNotice::NoKeyMethods:
    case RunNotice::RelationsLeftOut:
        // Not a failure: said briefly under the table tree when it is
        // done, each one named in the label's hint and the list.
        notes_.push_back(notice);
        LeaveOut(notice);
        return;
    }
    platform::Application.MessageBox(notice.Text, caption, platform::MB_OK | icon);
}

void WindowRunHost::Progress(const RunEvent& event)
{
    // The procedures' progress shows under the view tree, beside theirs.
    platform::TLabel* label = event.Tree == ProgressLabel::Tables ? form_->Label5 : form_->Label3;
    switch (event.What) {
    case RunEvent::TreeStarted:
        SetGrowingText(label, std::string());
        break;
    case RunEvent::ObjectStarted: {
        // How far it has come, at most once a frame: a native label's
        // text and repaint per object are what made a run of thousands
        // slow under Wine.
        auto clock = std::chrono::steady_clock::now();
        if (event.Index > 0 && clock - shown_ < std::chrono::milliseconds(16))
            break;
        shown_ = clock;
        std::string done = std::to_string(event.Index + 1);
        if (event.Tree == ProgressLabel::Procedures)
            SetGrowingText(label, "正在生成存储过程... " + done + "/" +
                                      std::to_string(form_->Schema.Procedures.size()));
        else
            SetGrowingText(label, "正在生成... " + done + "/" +
                                      std::to_string(event.Tree == ProgressLabel::Tables
                                                         ? form_->Schema.Tables.size()
                                                         : form_->Schema.Views.size()));
        platform::ProcessMessages();
        break;
    }
    case RunEvent::FilesWritten: {
        // The files going to disk, counted under both trees.
        auto clock = std::chrono::steady_clock::now();
        if (event.Index > 1 && event.Index < event.Total &&
            clock - shown_ < std::chrono::milliseconds(16))
            break;
        shown_ = clock;
        std::string text =
            "正在写入文件... " + std::to_string(event.Index) + "/" + std::to_string(event.Total);
        SetGrowingText(form_->Label5, text);
        SetGrowingText(form_->Label3, text);
        platform::ProcessMessages();
        break;
    }
    case RunEvent::TreeDone:
        if (event.Tree == ProgressLabel::Tables && !notes_.empty()) {
            // Each note begins with its count.
            std::string text = "生成完毕。", hint;
            for (const RunNotice& note : notes_) {
                text += (hint.empty() ? "" : "，") + std::to_string(note.Problems.size()) +
                        (note.What == RunNotice::NoKeyMethods ? " 个数据表无主键方法"
                                                              : " 个外键未全部生成");
                hint += (hint.empty() ? "" : "\n") + note.Text;
            }
            SetGrowingText(label, text);
            label->SetHint(hint);
        } else {
            SetGrowingText(label, "生成完毕。   ");
            label->SetHint(std::string());
        }
        break;
    case RunEvent::Refused:
        // Nothing was written: neither tree says it is done.
        for (platform::TLabel* each : {form_->Label5, form_->Label3})
            SetGrowingText(each, "未生成：名称或类型不符合要求");
        break;
    }
}

void WindowRunHost::ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep)
{
    ClearOutputExcept(tree, keep);
}

void WindowRunHost::OpenOutputRoot(const std::string& path)
{
    // Opened when the user asked for it; where it could not be, the user
    // still learns where the files went.
    if (form_->Options->OpenFolder->Checked() && form_->OpenFolder && !form_->OpenFolder(path))
        platform::Application.MessageBox("生成完毕，输出目录：" + path, "提示",
                                         platform::MB_OK | platform::MB_ICONINFORMATION);
}

void WindowRunHost::LeaveOut(const RunNotice& notice)
{
    RunNotice& all = form_->LeftOut;
    all.What = notice.What;
    std::string head = notice.Text.substr(0, notice.Text.find('\n'));
    all.Text += (all.Text.empty() ? "" : "\n") + head;
    all.Problems.insert(all.Problems.end(), notice.Problems.begin(), notice.Problems.end());
}
