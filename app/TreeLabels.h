#ifndef AppTreeLabelsH
#define AppTreeLabelsH

// The labels the trees show, as the popup changes them: a node translated
// with its children into identifiers the checks accept, every node at
// once, and the labels taken from or put into a tree. Each works on the
// trees it is given and calls nothing of the window.

#include <string>

#include "platform/Forms.h"
#include "schema/Schema.h"

// The three trees of the window: tables, views and procedures.
struct SchemaTrees {
    platform::TTreeView* Tables;
    platform::TTreeView* Views;
    platform::TTreeView* Procedures;
};

// Translates a node: a column's (or parameter's) label apart from its
// siblings'; an object's (schema: where it lives) with its children's,
// apart from the other objects of its kind (with typed rows, apart from
// their row types too).
void TranslateNodeLabels(const SchemaTrees& trees, platform::TTreeView* tree,
                         platform::TTreeNode* node, const std::string& schema, bool rows);

// The labels the nodes of a tree show, into objects made from it one for
// one.
void TakeLabels(const platform::TTreeView* tree, SchemaObjects& objects);
// Shows the objects' labels in a tree made from them, setting only the
// texts that change, the tree drawn once.
void ShowLabels(platform::TTreeView* tree, const SchemaObjects& objects);

#endif
