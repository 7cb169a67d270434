#include "Options.h"

namespace {

const int kRowHeight = 22, kBoxHeight = 17, kGap = 10, kEditHeight = 21;
const int kTypeLabelWidth = 84, kLeastEditWidth = 120;

platform::TCheckBox* Box(platform::TWinControl* parent, const char* caption, int width,
                         const char* hint)
{
    auto* box = new platform::TCheckBox(parent, caption, 0, 0, width, kBoxHeight);
    box->SetHint(hint);
    return box;
}

}  // namespace

TRunOptions::TRunOptions(platform::TWinControl* parent)
{
    Procedures = Box(parent, "存储过程(&P)", 104,
                     "读取存储过程，在第三棵树中显示，并为每个存储过程生成一个类");
    KeyMethods = Box(parent, "主键方法(&K)", 104,
                     "有主键的数据表另生成 FindByKey、UpdateByKey、DeleteByKey，"
                     "有标识列的另生成 NewWithIdentity");
    Relations = Box(parent, "外键关系(&R)", 104,
                    "为每个外键在引用它的数据表上另生成 OpenBy…（按外键字段查找）和 "
                    "LinkBy…（以主表的 TDataSource 组成主从关系，随主表的当前行刷新）");
    Rows = Box(parent, "类型化行(&Y)", 104,
               "为每个数据表和视图另生成按字段名和类型读写整行的结构（类名加 Row），"
               "NULL 与 0 和空串分开；数据表另有从行插入，勾选主键方法时另有按主键读写整行");
    ExtendedTypes = Box(parent, "扩展类型(&E)", 104,
                        "别名类型按其基础类型生成；date、time、datetime2、datetimeoffset、"
                        "uniqueidentifier、xml、sql_variant 按字符串，hierarchyid、geometry、"
                        "geography 按二进制流生成");
    Unicode = Box(parent, "Unicode（C++Builder 2009 及以后）(&U)", 236,
                  "为 String 是 UnicodeString 的 C++Builder 2009 至 12 生成：UTF-8 文件、宽字符串、"
                  "MessageBoxW，数据库中 GBK 无法表示的名称也可生成；不勾选时为 C++Builder 6 的 "
                  "AnsiString 形式（GBK 文件）");
    OpenFolder = Box(parent, "完成后打开目录(&F)", 142,
                     "生成完毕后在文件管理器中打开输出目录（Output 文件夹）");
    OpenFolder->SetChecked(true);
    TypeGroups =
        new platform::TLabeledEdit(parent, "类型分组(&T)：", 0, 0, kLeastEditWidth, kEditHeight,
                                   kTypeLabelWidth, platform::TLabeledEdit::lpLeft);
    TypeGroups->SetHint("其他类型按哪一组生成：类型名=integer、string、float 或 blob，"
                        "多个之间用分号隔开，如 MyPoint=blob; Money2=float");
}

std::vector<platform::TCheckBox*> TRunOptions::Boxes() const
{
    return {Procedures, KeyMethods, Relations, Rows, ExtendedTypes, Unicode, OpenFolder};
}

std::vector<platform::TControl*> TRunOptions::TabOrder() const
{
    return {Procedures, KeyMethods,    Relations,  Rows,
            Unicode,    ExtendedTypes, TypeGroups, OpenFolder};
}

std::vector<TRunOptions::Place> TRunOptions::Places(int width) const
{
    // What is read and what is generated on the first row, how it is
    // written on the second; a row too narrow goes on in the next.
    const std::vector<std::vector<platform::TCheckBox*>> rows =
        {{Procedures, KeyMethods, Relations, Rows}, {Unicode, ExtendedTypes, OpenFolder}};
    std::vector<Place> places;
    int row = 0;
    for (const auto& boxes : rows) {
        int x = 0;
        for (platform::TCheckBox* box : boxes) {
            int w = box->Bounds().Width;
            if (x > 0 && x + w > width) {
                ++row;
                x = 0;
            }
            places.push_back({box, x, row, w});
            x += w + kGap;
        }
        if (&boxes == &rows.back()) {
            // The type groups end the last row, taking what it has left.
            if (x > 0 && width - x - kTypeLabelWidth < kLeastEditWidth) {
                ++row;
                x = 0;
            }
            places.push_back({TypeGroups, x + kTypeLabelWidth, row, width - x - kTypeLabelWidth});
        }
        ++row;
    }
    return places;
}

int TRunOptions::Height(int width) const
{
    int rows = 0;
    for (const Place& p : Places(width))
        rows = std::max(rows, p.Row + 1);
    return rows * kRowHeight;
}

int TRunOptions::Layout(int left, int top, int width)
{
    for (const Place& p : Places(width)) {
        int y = top + p.Row * kRowHeight;
        if (p.Control == TypeGroups) {
            TypeGroups->SetBounds(left + p.Left, y, p.Width, kEditHeight);
            platform::TRect label = TypeGroups->EditLabel->Bounds();
            TypeGroups->EditLabel->SetBounds(left + p.Left - kTypeLabelWidth, y + 4, label.Width,
                                             label.Height);
        } else {
            p.Control->SetBounds(left + p.Left, y + 2, p.Width, kBoxHeight);
        }
    }
    return Height(width);
}

OutputForm TRunOptions::Form() const
{
    return Unicode->Checked() ? OutputForm::Wide() : OutputForm::Ansi();
}

std::string TRunOptions::Types(TypeOptions& out) const
{
    out.Extended = ExtendedTypes->Checked();
    return AddTypeOverrideList(TypeGroups->Text(), out);
}
