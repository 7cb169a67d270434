// The trees' popup: a node renamed in place, or translated with its
// children into identifiers the checks accept.

#include "Main.h"

#include "generator/Translate.h"

#include <initializer_list>
#include <string>
#include <vector>

void TMainForm::TreeView1MouseDown(platform::TTreeView* sender, platform::TMouseButton button,
                                   int x, int y)
{
    platform::TPopupMenu*& menu = sender == TreeView1   ? TreeView1PopupMenu
                                  : sender == TreeView2 ? TreeView2PopupMenu
                                                        : TreeView3PopupMenu;
    menu = nullptr;
    platform::TTreeNode* node = sender->GetNodeAt(x, y);
    if (node && button == platform::mbRight) {
        menu = PopupMenu1;
        PopupTree = sender;
        PopupNode = node;
    }
}

// Rename: edit the node's text in place. A table node's text is the class
// name, a column node's the parameter name.
void TMainForm::M1Click()
{
    if (busy_ || !PopupTree || !PopupNode)
        return;
    PopupNode->EditText();
}

namespace {

std::vector<platform::TTreeNode*> ChildrenOf(platform::TTreeNode* parent)
{
    std::vector<platform::TTreeNode*> children;
    children.reserve(static_cast<std::size_t>(parent->Count()));
    for (int i = 0; i < parent->Count(); ++i)
        children.push_back(parent->Item(i));
    return children;
}

// The top-level nodes of the trees, in order.
std::vector<platform::TTreeNode*> TopNodes(std::initializer_list<platform::TTreeView*> trees)
{
    std::vector<platform::TTreeNode*> nodes;
    for (platform::TTreeView* tree : trees)
        for (int i = 0; i < tree->Count(); ++i)
            nodes.push_back(tree->Item(i));
    return nodes;
}

std::vector<std::string> TextsExcept(const std::vector<platform::TTreeNode*>& nodes,
                                     const platform::TTreeNode* except)
{
    std::vector<std::string> texts;
    for (platform::TTreeNode* n : nodes)
        if (n != except)
            texts.push_back(n->Text());
    return texts;
}

}  // namespace

// Translate: the node's text, and its children's for a top-level node,
// become pinyin identifiers, suffixed where they would collide.
void TMainForm::N1Click()
{
    if (busy_ || !PopupTree || !PopupNode)
        return;
    platform::TTreeNode* node = PopupNode;
    bool procedure = PopupTree == TreeView3;
    if (platform::TTreeNode* parent = node->Parent()) {
        std::vector<std::string> siblings = TextsExcept(ChildrenOf(parent), node);
        node->SetText(procedure ? TranslatedParameterLabel(node->Text(), siblings)
                                : TranslatedColumnLabel(node->Text(), siblings));
        return;
    }
    // The object's schema, for a label another object already has.
    const SchemaObject* object = ObjectOf(PopupTree, node);
    std::string schema = object ? object->Schema : std::string();
    std::string label = node->Text();
    std::vector<platform::TTreeNode*> children = ChildrenOf(node);
    std::vector<std::string> labels = TextsExcept(children, nullptr);
    if (procedure) {
        // A procedure's class apart from the other procedures' and from
        // the include guards of the tables' and views' classes.
        TranslateProcedureLabels(label, labels, TextsExcept(TopNodes({TreeView3}), node),
                                 TextsExcept(TopNodes({TreeView1, TreeView2}), nullptr), schema);
    } else {
        TranslateObjectLabels(label, labels, TextsExcept(TopNodes({TreeView1, TreeView2}), node),
                              schema);
    }
    node->SetText(label);
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->SetText(labels[i]);
}
