// What a run's options read from the database before it is generated.

#include "Main.h"

#include "RunProgress.h"
#include "catalog/CatalogReader.h"
#include "catalog/Dbmodule.h"

bool TMainForm::ReadWhatTheOptionsNeed(RunInput& input)
{
    ExtraReads reads;
    reads.Keys = input.KeyMethods;
    reads.Relations = input.Relations;
    reads.Nullability = input.Rows;
    std::string what;
    for (const auto& [asked, name] : {std::pair<bool, const char*>{reads.Keys, "主键"},
                                      {reads.Relations, "外键"},
                                      {reads.Nullability, "字段可否为 NULL"}})
        if (asked)
            what.append(what.empty() ? "" : "、").append(name);
    if (what.empty())
        return true;
    SetGrowingText(Label5, "正在读取" + what + "...");
    platform::ProcessMessages();
    if (!ReadExtras(*DBData, input.Schema, reads)) {
        SetGrowingText(Label5, "未生成：读不到" + what);
        return false;
    }
    return true;
}
