#ifndef MainH
#define MainH

// The main window: login panel, database list, the two schema trees, the
// command buttons, and the chosen database's schema.

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "generator/Run.h"
#include "schema/Schema.h"
#include "platform/Forms.h"

class TMainForm : public QWidget {
public:
    TMainForm();
    ~TMainForm() override;

    // Handlers, named after component and event.
    void FormCreate();
    void FormPaint();
    void RadioButton1Click();
    void TreeView1MouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                            int x, int y);
    void M1Click();
    void N1Click();
    void BitBtn2Click();
    void ComboBox1Select();
    void BitBtn3Click();
    void BitBtn1Click();

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
    QLabel* Image1;
    QWidget* Panel1;
    platform::TBevel* Bevel1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    platform::TLabeledEdit* LabeledEdit1;
    platform::TLabeledEdit* LabeledEdit2;
    platform::TBitBtn* BitBtn2;
    QLabel* Label4;
    QLabel* Label1;
    QComboBox* ComboBox1;
    platform::TBevel* Bevel3;
    QLabel* Label2;
    QLabel* Label6;
    QTreeWidget* TreeView1;
    QTreeWidget* TreeView2;
    QLabel* Label5;
    QLabel* Label3;
    platform::TBevel* Bevel2;
    platform::TBitBtn* BitBtn1;
    platform::TBevel* Bevel4;
    platform::TLabeledEdit* LabeledEdit3;
    platform::TBitBtn* BitBtn3;
    QMenu* PopupMenu1;
    QAction* M1;
    QAction* N1;

    // The popup menu each tree shows on a context request, if any, and the
    // node it was opened over.
    QMenu* TreeView1PopupMenu = nullptr;
    QMenu* TreeView2PopupMenu = nullptr;
    QTreeWidget* PopupTree = nullptr;
    QTreeWidgetItem* PopupNode = nullptr;

    // Where the Output folder goes; the program's folder.
    std::string ProgramFolder;
    // Opens the output root in the desktop shell; false when it could not.
    std::function<bool(const std::string&)> OpenFolder;
    // Edits a connection string; returns the new one (the initial one when
    // cancelled).
    std::function<std::string(const std::string&)> EditConnectionString;

    // True while a fill or a run holds input off.
    bool Busy() const { return busy_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class BusyScope;
    class TreeFill;
    // The database selection, once input is held off.
    void SelectDatabase();
    // Schema and the members that project it.
    void TakeSchema(const DatabaseSchema& schema);
    bool busy_ = false;
};

extern TMainForm* MainForm;

// The banner: a 680 x 210 bitmap, 32 bits per pixel.
QImage BannerPicture();

#endif
