#ifndef AppReportH
#define AppReportH

// The report of a refused run: every problem that stops it, in a dialog
// of its own that fits the screen and resizes. At its top, how many
// problems there are and, for each kind, how many and the one action that
// clears them; below, every problem, to read, select, copy and save.

#include "generator/Run.h"
#include "platform/Forms.h"

#include <functional>
#include <string>
#include <vector>

class TReportDialog : public platform::TForm {
public:
    TReportDialog(const RunNotice& report, platform::TForm* owner);

    platform::TLabel* Summary = nullptr;
    std::vector<platform::TLabel*> GroupLines;
    platform::TMemo* List = nullptr;
    platform::TButton* SaveButton = nullptr;
    platform::TButton* OkButton = nullptr;

    // Asks where to save the report; "" when cancelled. The file chooser
    // unless replaced (by tests).
    std::function<std::string()> ChooseFile;
    // Saves the whole report as UTF-8 where ChooseFile says; tells the
    // user when it cannot be written.
    void SaveClick();
    // Lays the controls out for the size the dialog has.
    void Arrange();

    static constexpr int kWidth = 640, kHeight = 440, kMinWidth = 480, kMinHeight = 300;

private:
    std::string text_;
};

// Shows the report modally.
void ShowReportDialog(const RunNotice& report, platform::TForm* owner);

#endif
