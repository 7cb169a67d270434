#ifndef MainH
#define MainH

// The main window: login panel, database list, the two schema trees, the
// command buttons, and the chosen database's schema.

#include <functional>
#include <string>
#include <vector>

#include "generator/Run.h"
#include "platform/Forms.h"
#include "schema/Schema.h"

class TMainForm : public platform::TForm {
public:
    // The window's first size, and its least: every control in sight on a
    // 1366 x 768 screen at 150 %.
    static constexpr int kWidth = 680, kHeight = 430;
    // No side is asked of the system beyond this before the window is fitted
    // to its screen.
    static constexpr int kMaxSide = 8192;
    TMainForm();
    ~TMainForm() override;

    // Handlers, named after component and event.
    void FormCreate();
    void FormPaint();
    void FormResize();
    void RadioButton1Click();
    void TreeView1MouseDown(platform::TTreeView* sender, platform::TMouseButton button, int x,
                            int y);
    void M1Click();
    void N1Click();
    // Translates every node of both trees, as pellam-gen's --translate does.
    void A1Click();
    void BitBtn2Click();
    void ComboBox1Select();
    void BitBtn3Click();
    void BitBtn1Click();
    // Lists what the last run left out (tables without key methods,
    // procedures), each with its reason, in a dialog to read and copy.
    void ShowLeftOut();

    // The chosen database's schema as read, and its labels as the trees show
    // them now.
    DatabaseSchema Schema;
    DatabaseSchema LabelledSchema() const;

    // The names and column lists of Schema, by tree position.
    NameList TableNames;
    NameList ViewNames;
    std::vector<ColumnList> TableColumns;
    std::vector<ColumnList> ViewColumns;

    // Controls, under their designer names.
    platform::TImage* Image1;
    platform::TPanel* Panel1;
    platform::TBevel* Bevel1;
    platform::TRadioButton* RadioButton1;
    platform::TRadioButton* RadioButton2;
    platform::TLabeledEdit* LabeledEdit1;
    platform::TLabeledEdit* LabeledEdit2;
    platform::TBitBtn* BitBtn2;
    platform::TLabel* Label4;
    platform::TLabel* Label1;
    platform::TComboBox* ComboBox1;
    platform::TBevel* Bevel3;
    platform::TLabel* Label2;
    platform::TLabel* Label6;
    platform::TTreeView* TreeView1;
    platform::TTreeView* TreeView2;
    platform::TLabel* Label5;
    platform::TLabel* Label3;
    platform::TBevel* Bevel2;
    platform::TBitBtn* BitBtn1;
    platform::TBevel* Bevel4;
    platform::TLabeledEdit* LabeledEdit3;
    platform::TBitBtn* BitBtn3;
    platform::TPopupMenu* PopupMenu1;
    platform::TMenuItem* M1;
    platform::TMenuItem* N1;
    platform::TMenuItem* A1;  // 翻译全部
    // The SQL Server login ("sa" unless another is typed).
    platform::TLabeledEdit* LabeledEdit4;
    // Extended types: alias types by their base types, the newer date and
    // time types and the like as strings, the CLR types as blobs.
    platform::TCheckBox* CheckBox1;
    // Where the selected table or view lives: "架构：schema.name".
    platform::TLabel* Label7;
    // Type groups: "NAME=GROUP; ..." for types beyond the type table, as
    // pellam-gen's --type takes them.
    platform::TLabeledEdit* LabeledEdit5;
    // Key methods: FindByKey, UpdateByKey and DeleteByKey for each table
    // with a primary key, NewWithIdentity for each with an IDENTITY column.
    platform::TCheckBox* CheckBox2;
    // Stored procedures: read with the tables and views, shown in a third
    // tree, and a class generated for each.
    platform::TCheckBox* CheckBox3;
    platform::TLabel* Label8;  // 存储过程：
    platform::TTreeView* TreeView3;
    // The run's options, in one group (CheckBox1, CheckBox2, CheckBox3 and
    // LabeledEdit5 are its controls).
    class TRunOptions* Options;
    // Shown after a run that left objects out: lists them all.
    platform::TButton* LeftOutButton;
    // What the last run left out, each line an object and its reason.
    RunNotice LeftOut;
    // Shows or hides the procedure tree, reading the procedures when they
    // are wanted and not yet read.
    void CheckBox3Click();

    // The popup menu each tree shows on a context request, if any, and the
    // node it was opened over.
    platform::TPopupMenu* TreeView1PopupMenu = nullptr;
    platform::TPopupMenu* TreeView2PopupMenu = nullptr;
    platform::TPopupMenu* TreeView3PopupMenu = nullptr;
    platform::TTreeView* PopupTree = nullptr;
    platform::TTreeNode* PopupNode = nullptr;

    // Where the Output folder goes; the program's folder.
    std::string ProgramFolder;
    // Opens the output root in the desktop shell; false when it could not.
    std::function<bool(const std::string&)> OpenFolder;
    // Edits a connection string; returns the new one (the initial one when
    // cancelled).
    std::function<std::string(const std::string&)> EditConnectionString;
    // Shows the report of a refused run (a dialog of its own, modal).
    std::function<void(const RunNotice&)> ShowReport;

    // Takes the settings remembered in the file (the authentication, host,
    // login and type rules) and keeps them there from now on; "" remembers
    // nothing.
    void LoadSettings(const std::string& path);
    // The SQL Server login typed, "sa" when none is.
    std::string LoginName() const;

    // True while a fill or a run holds input off.
    bool Busy() const { return busy_; }

private:
    class BusyScope;
    class TreeFill;
    // The database selection, once input is held off.
    void SelectDatabase();
    // The login with input held off; the control the keyboard goes to next.
    platform::TControl* LogIn();
    // Schema and the members that project it.
    void TakeSchema(const DatabaseSchema& schema);
    bool busy_ = false;
    std::string settingsFile_;
    void SaveSettings();
    // Reads what the run's options need beyond the schema shown (primary
    // keys, foreign keys, nullability) in one batch; false, said under the
    // tables, when it could not be read.
    bool ReadWhatTheOptionsNeed(RunInput& input);
    // Label7 for the node selected in a tree.
    void ShowSchemaOf(platform::TTreeView* tree);
    // The object a top-level node of a tree stands for; null for any other.
    const SchemaObject* ObjectOf(const platform::TTreeView* tree,
                                 const platform::TTreeNode* node) const;
    // The procedure tree from Schema.
    void FillProcedureTree();
};

extern TMainForm* MainForm;

// The banner: a band kBannerHeight high, as wide as the window.
constexpr int kBannerHeight = 40;
platform::TBitmap BannerPicture(int width = TMainForm::kWidth);

#endif
