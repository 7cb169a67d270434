#ifndef AppOptionsH
#define AppOptionsH

// The options of a run, in one group, in the order a user thinks of them:
// what is read, what is generated, how it is written. Each has its hint
// and an access key. The group lays itself out in rows; the main form
// places it and reads it, and it knows nothing of the form.

#include <string>
#include <vector>

#include "generator/OutputForm.h"
#include "generator/TypeRules.h"
#include "platform/Forms.h"

class TRunOptions {
public:
    explicit TRunOptions(platform::TWinControl* parent);

    // What is read.
    platform::TCheckBox* Procedures = nullptr;  // 存储过程: read, shown and a class each
    // What is generated.
    platform::TCheckBox* KeyMethods = nullptr;  // 主键方法
    platform::TCheckBox* Relations = nullptr;  // 外键关系: lookups and master-detail
    platform::TCheckBox* Rows = nullptr;  // 类型化行: a typed row per table and view
    // How it is written.
    platform::TCheckBox* ExtendedTypes = nullptr;  // 扩展类型
    platform::TLabeledEdit* TypeGroups = nullptr;  // 类型分组: "NAME=GROUP; ..."
    // The Unicode VCL's form: C++Builder 2009 and later.
    platform::TCheckBox* Unicode = nullptr;
    // After it is written.
    platform::TCheckBox* OpenFolder = nullptr;  // 生成后打开输出目录

    // The check boxes, in their order.
    std::vector<platform::TCheckBox*> Boxes() const;
    // The controls in the order Tab takes them.
    std::vector<platform::TControl*> TabOrder() const;
    // Places the group at (left, top) in a width: the check boxes flow in
    // rows, the type groups' edit takes what its row has left. Returns the
    // height it takes.
    int Layout(int left, int top, int width);
    // The height the group takes in a width.
    int Height(int width) const;

    // The type rules chosen; "" when taken, else what is wrong with the
    // type groups' line.
    std::string Types(TypeOptions& out) const;
    // The form the files are written in.
    OutputForm Form() const;

private:
    // The rows the group needs in a width, each control with its x.
    struct Place {
        platform::TControl* Control;
        int Left, Row, Width;
    };
    std::vector<Place> Places(int width) const;
};

#endif
