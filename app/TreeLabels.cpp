#include "TreeLabels.h"

#include "generator/Translate.h"

#include <initializer_list>
#include <string>
#include <vector>

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

void TranslateNodeLabels(const SchemaTrees& trees, platform::TTreeView* tree,
                         platform::TTreeNode* node, const std::string& schema, bool rows)
{
    bool procedure = tree == trees.Procedures;
    if (platform::TTreeNode* parent = node->Parent()) {
        std::vector<std::string> siblings = TextsExcept(ChildrenOf(parent), node);
        node->SetText(procedure ? TranslatedParameterLabel(node->Text(), siblings)
                                : TranslatedColumnLabel(node->Text(), siblings));
        return;
    }
    std::string label = node->Text();
    std::vector<platform::TTreeNode*> children = ChildrenOf(node);
    std::vector<std::string> labels = TextsExcept(children, nullptr);
    if (procedure) {
        // A procedure's class apart from the other procedures' and from
        // the include guards of the tables' and views' classes.
        TranslateProcedureLabels(label, labels, TextsExcept(TopNodes({trees.Procedures}), node),
                                 TextsExcept(TopNodes({trees.Tables, trees.Views}), nullptr),
                                 schema);
    } else {
        TranslateObjectLabels(label, labels,
                              TextsExcept(TopNodes({trees.Tables, trees.Views}), node), schema,
                              rows);
    }
    node->SetText(label);
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->SetText(labels[i]);
}

void TakeLabels(const platform::TTreeView* tree, SchemaObjects& objects)
{
    // The nodes were made from the objects, one for one, and are only
    // ever renamed.
    for (std::size_t k = 0; k < objects.size(); ++k) {
        platform::TTreeNode* node = tree->Item(static_cast<int>(k));
        objects[k].Label = node->Text();
        for (std::size_t i = 0; i < objects[k].Columns.size(); ++i)
            objects[k].Columns[i].Label = node->Item(static_cast<int>(i))->Text();
    }
}

void ShowLabels(platform::TTreeView* tree, const SchemaObjects& objects)
{
    tree->BeginUpdate();
    auto set = [](platform::TTreeNode* node, const std::string& text) {
        if (node->Text() != text)
            node->SetText(text);
    };
    for (std::size_t k = 0; k < objects.size(); ++k) {
        platform::TTreeNode* node = tree->Item(static_cast<int>(k));
        set(node, objects[k].Label);
        for (std::size_t i = 0; i < objects[k].Columns.size(); ++i)
            set(node->Item(static_cast<int>(i)), objects[k].Columns[i].Label);
    }
    tree->EndUpdate();
}
