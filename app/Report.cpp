#include "Report.h"

#include "platform/Application.h"
#include "platform/Files.h"

#include <algorithm>

namespace {

const int kMargin = 12, kLine = 20, kButtonWidth = 110, kButtonHeight = 26;

}  // namespace

namespace {

// A refusal's caption, or that of a list of what a run left out.
std::string CaptionOf(const RunNotice& report)
{
    std::string n = std::to_string(report.Problems.size());
    return report.Groups.empty() ? "未生成的对象（" + n + " 个）" : n + " 处问题，没有生成";
}

}  // namespace

TReportDialog::TReportDialog(const RunNotice& report, platform::TForm* owner)
    : platform::TForm(CaptionOf(report), owner), text_(report.Text)
{
    SetFont("WenQuanYi Micro Hei", 11);
    SetResizableClientSize(kWidth, kHeight, kMinWidth, kMinHeight);
    bool refusal = !report.Groups.empty();
    // How many problems; then, one line per kind, what clears them. A
    // list of what was left out: how many, then each kind's own line.
    Summary = new platform::TLabel(this,
                                   refusal ? RefusalSummary(report.Problems.size())
                                           : "上一次生成时未生成的对象，共 " +
                                                 std::to_string(report.Problems.size()) + " 个：",
                                   kMargin, 10, kWidth - 2 * kMargin, 18);
    for (const auto& [kind, count] : report.Groups)
        GroupLines.push_back(
            new platform::TLabel(this, ProblemGroupText(kind, count, ReportReader::Window),
                                 2 * kMargin, 0, 10, 18));
    if (!refusal)
        for (std::size_t at = 0; at < report.Text.size();) {
            std::size_t end = std::min(report.Text.find('\n', at), report.Text.size());
            GroupLines.push_back(new platform::TLabel(this, report.Text.substr(at, end - at),
                                                      2 * kMargin, 0, 10, 18));
            at = end + 1;
        }
    List = new platform::TMemo(this, kMargin, 0, 10, 10);
    std::string list;
    for (const std::string& problem : report.Problems)
        list += (list.empty() ? "" : "\n") + problem;
    List->SetText(list);
    if (!refusal)
        text_ = Summary->Caption() + "\n" + list;
    SaveButton = new platform::TButton(this, "保存到文件...", 0, 0, kButtonWidth, kButtonHeight);
    OkButton = new platform::TButton(this, "确定", 0, 0, kButtonWidth, kButtonHeight);
    SaveButton->OnClick = [this] { SaveClick(); };
    OkButton->OnClick = [this] { EndModal(true); };
    ChooseFile = [this] {
        return platform::ChooseSaveFile(this, "保存问题列表", "Pellam问题.txt");
    };
    OnResize = [this] { Arrange(); };
    platform::SetTabOrder({List, SaveButton, OkButton});
    // Enter closes it, from the list too; saving is asked for by its key.
    SetDefaultButton(OkButton);
    // As large as its lines need, up to the screen: the widest line, and
    // every line where the screen allows.
    int widest = 0;
    for (platform::TLabel* line : GroupLines)
        widest = std::max(widest, line->TextWidth() + 3 * kMargin);
    // Measured in the dialog's own font by a label that stays hidden.
    auto* measure = new platform::TLabel(this, "", 0, 0, 10, 18);
    measure->Hide();
    // The first lines stand for the rest: a report of a whole database's
    // names may hold hundreds of thousands.
    for (std::size_t k = 0; k < report.Problems.size() && k < 500; ++k) {
        measure->SetCaption(report.Problems[k]);
        widest = std::max(widest, measure->TextWidth() + 2 * kMargin + 24);
    }
    int lines = static_cast<int>(report.Problems.size());
    int wanted = 10 + kLine * (2 + static_cast<int>(GroupLines.size())) + 6 + lines * 17 + 16 +
                 kButtonHeight + kMargin + 8;
    platform::TRect area = WorkArea();
    int width = std::max(kWidth, std::min(widest, area.Width > 0 ? area.Width : widest));
    int height = std::max(kHeight, std::min(wanted, area.Height > 0 ? area.Height : wanted));
    SetResizableClientSize(width, height, kMinWidth, kMinHeight);
    Arrange();
    FitOnScreen();
    Arrange();
}

void TReportDialog::Arrange()
{
    int width = ClientWidth(), height = ClientHeight();
    int inner = width - 2 * kMargin;
    Summary->SetBounds(kMargin, 10, inner, 18);
    int top = 10 + kLine + 2;
    for (platform::TLabel* line : GroupLines) {
        line->SetBounds(2 * kMargin, top, inner - kMargin, 18);
        top += kLine;
    }
    top += 6;
    int buttons = height - kMargin - kButtonHeight;
    List->SetBounds(kMargin, top, inner, std::max(kLine * 3, buttons - 8 - top));
    OkButton->SetBounds(width - kMargin - kButtonWidth, buttons, kButtonWidth, kButtonHeight);
    SaveButton->SetBounds(width - kMargin - 2 * kButtonWidth - 8, buttons, kButtonWidth,
                          kButtonHeight);
}

void TReportDialog::SaveClick()
{
    std::string path = ChooseFile ? ChooseFile() : std::string();
    if (path.empty())
        return;
    // Lines end as the platform's own text files do.
    std::string bytes;
    for (char c : text_ + "\n") {
        if (c == '\n' && platform::kPathSeparator == '\\')
            bytes += '\r';
        bytes += c;
    }
    if (platform::WriteWholeFile(path, bytes) != 0)
        platform::Application.MessageBox("无法写入文件：" + path, "保存问题列表",
                                         platform::MB_OK | platform::MB_ICONERROR);
}

void ShowReportDialog(const RunNotice& report, platform::TForm* owner)
{
    TReportDialog dialog(report, owner);
    dialog.ShowModal();
}
