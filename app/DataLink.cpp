#include "DataLink.h"

#include "catalog/Dbmodule.h"

#include "platform/Application.h"
#include "platform/DbClient.h"
#include "platform/Forms.h"
#include "platform/Text.h"

#include <map>

bool DataLinkProperties::Read(const std::string& connectionString)
{
    *this = DataLinkProperties();
    std::map<std::string, std::string> keys;
    try {
        keys = platform::ParseOleDbConnectionString(connectionString);
    } catch (const platform::Exception&) {
        return false;
    }
    SetAll(std::vector<std::pair<std::string, std::string>>(keys.begin(), keys.end()));
    return true;
}

void DataLinkProperties::SetAll(const std::vector<std::pair<std::string, std::string>>& all)
{
    Others.clear();
    IntegratedSecurity = false;
    bool sawIntegrated = false;
    for (const auto& [rawKey, value] : all) {
        std::string key = platform::AsciiLower(rawKey);
        if (key == "provider")
            Provider = value;
        else if (key == "data source")
            DataSource = value;
        else if (key == "integrated security") {
            IntegratedSecurity = !value.empty();
            sawIntegrated = true;
        } else if (key == "user id")
            UserID = value;
        else if (key == "password")
            Password = value;
        else if (key == "persist security info")
            AllowSavingPassword = platform::AsciiLower(value) == "true";
        else if (key == "initial catalog")
            InitialCatalog = value;
        else if (key == "connect timeout")
            ConnectTimeout = std::atoi(value.c_str());
        else
            Others.emplace_back(rawKey, value);
    }
    if (!sawIntegrated && UserID.empty())
        IntegratedSecurity = true;
}

std::vector<std::pair<std::string, std::string>> DataLinkProperties::All() const
{
    std::vector<std::pair<std::string, std::string>> all;
    all.emplace_back("Provider", Provider);
    if (IntegratedSecurity) {
        all.emplace_back("Integrated Security", "SSPI");
        all.emplace_back("Persist Security Info", "False");
    } else {
        all.emplace_back("Password", Password);
        all.emplace_back("Persist Security Info", AllowSavingPassword ? "True" : "False");
        all.emplace_back("User ID", UserID);
    }
    if (!InitialCatalog.empty())
        all.emplace_back("Initial Catalog", InitialCatalog);
    all.emplace_back("Data Source", DataSource);
    if (ConnectTimeout != 15)
        all.emplace_back("Connect Timeout", std::to_string(ConnectTimeout));
    all.insert(all.end(), Others.begin(), Others.end());
    return all;
}

namespace {

std::string Joined(const std::vector<std::pair<std::string, std::string>>& all)
{
    std::string out;
    for (const auto& [key, value] : all)
        out += (out.empty() ? "" : ";") + key + "=" + platform::QuoteOleDbValue(value);
    return out;
}

}  // namespace

std::string DataLinkProperties::Compose() const
{
    return Joined(All());
}

std::string DataLinkProperties::ComposeKept() const
{
    if (AllowSavingPassword)
        return Compose();
    // Neither the password nor one given on the 全部 page under another
    // spelling.
    std::vector<std::pair<std::string, std::string>> kept;
    for (const auto& [key, value] : All())
        if (key != "Password" && platform::AsciiLower(key) != "pwd")
            kept.emplace_back(key, value);
    return Joined(kept);
}

TDataLinkDialog::TDataLinkDialog(const std::string& initial, platform::TForm* owner)
    : platform::TForm("数据链接属性", owner)
{
    using platform::TButton;
    using platform::TLabel;
    SetFixedClientSize(420, 440);
    Sheet = new platform::TPageControl(this, 8, 8, 404, 384);

    platform::TTabSheet* providerPage = Sheet->AddPage("提供程序");
    new TLabel(providerPage, "选择您希望连接的数据：", 10, 10, 380, 16);
    Providers = new platform::TListBox(providerPage, 10, 32, 380, 300);
    Providers->Add("Microsoft OLE DB Provider for SQL Server (SQLOLEDB.1)");
    Providers->SetItemIndex(0);

    platform::TTabSheet* page = Sheet->AddPage("连接");
    new TLabel(page, "1. 服务器名称：", 10, 10, 380, 16);
    ServerName = new platform::TEdit(page, 24, 28, 360, 22);
    new TLabel(page, "2. 登录服务器：", 10, 58, 380, 16);
    WindowsLogin =
        new platform::TRadioButton(page, "使用 Windows NT 集成安全设置", 24, 76, 360, 20);
    SqlLogin = new platform::TRadioButton(page, "使用指定的用户名称和密码", 24, 98, 360, 20);
    new TLabel(page, "用户名称：", 40, 124, 90, 16);
    UserName = new platform::TEdit(page, 130, 120, 254, 22);
    new TLabel(page, "密码：", 40, 150, 90, 16);
    Password = new platform::TEdit(page, 130, 146, 254, 22);
    Password->SetPassword(true);
    AllowSavingPassword = new platform::TCheckBox(page, "允许保存密码", 130, 172, 254, 20);
    new TLabel(page, "3. 在服务器上选择数据库：", 10, 202, 380, 16);
    InitialCatalog = new platform::TComboBox(page, 24, 220, 280, 22, true);
    RefreshCatalogs = new TButton(page, "刷新", 310, 219, 74, 24);
    TestConnection = new TButton(page, "测试连接", 280, 320, 104, 26);

    platform::TTabSheet* advancedPage = Sheet->AddPage("高级");
    new TLabel(advancedPage, "连接超时（秒）：", 10, 14, 120, 16);
    ConnectTimeout = new platform::TSpinEdit(advancedPage, 130, 10, 90, 22, 0, 3600);

    platform::TTabSheet* allPage = Sheet->AddPage("全部");
    AllProperties = new platform::TStringGrid(allPage, 4, 4, 390, 346, {"名称", "值"});

    OkButton = new TButton(this, "确定", 248, 404, 78, 26);
    CancelButton = new TButton(this, "取消", 334, 404, 78, 26);
    OkButton->OnClick = [this] { EndModal(true); };
    CancelButton->OnClick = [this] { EndModal(false); };
    // Enter confirms, wherever the focus is but on another button.
    SetDefaultButton(OkButton);
    WindowsLogin->OnClick = [this] { UpdateLoginFields(); };
    SqlLogin->OnClick = [this] { UpdateLoginFields(); };
    TestConnection->OnClick = [this] { TestConnectionClick(); };
    RefreshCatalogs->OnClick = [this] { RefreshCatalogsClick(); };
    Sheet->OnChange = [this](int p) { PageChanged(p); };

    DataLinkProperties seed;
    if (!initial.empty())
        seed.Read(initial);  // an unusable string leaves the defaults
    Show(seed);
}

void TDataLinkDialog::Show(const DataLinkProperties& p)
{
    ServerName->SetText(p.DataSource);
    WindowsLogin->SetChecked(p.IntegratedSecurity);
    SqlLogin->SetChecked(!p.IntegratedSecurity);
    UserName->SetText(p.UserID);
    Password->SetText(p.Password);
    AllowSavingPassword->SetChecked(p.AllowSavingPassword);
    InitialCatalog->SetText(p.InitialCatalog);
    ConnectTimeout->SetValue(p.ConnectTimeout);
    others_ = p.Others;
    provider_ = p.Provider;
    UpdateLoginFields();
}

void TDataLinkDialog::UpdateLoginFields()
{
    bool sql = !WindowsLogin->Checked();
    UserName->SetEnabled(sql);
    Password->SetEnabled(sql);
    AllowSavingPassword->SetEnabled(sql);
}

DataLinkProperties TDataLinkDialog::Properties() const
{
    DataLinkProperties p;
    if (lastPage_ == kAllPage) {
        std::vector<std::pair<std::string, std::string>> all;
        for (int r = 0; r < AllProperties->RowCount(); ++r)
            if (!AllProperties->Cell(0, r).empty())
                all.emplace_back(AllProperties->Cell(0, r), AllProperties->Cell(1, r));
        p.SetAll(all);
        return p;
    }
    p.DataSource = ServerName->Text();
    p.IntegratedSecurity = WindowsLogin->Checked();
    p.UserID = UserName->Text();
    p.Password = Password->Text();
    p.AllowSavingPassword = AllowSavingPassword->Checked();
    p.InitialCatalog = InitialCatalog->Text();
    p.ConnectTimeout = ConnectTimeout->Value();
    p.Others = others_;
    p.Provider = provider_;
    return p;
}

void TDataLinkDialog::PageChanged(int page)
{
    // Properties() reads the page last shown: the list, or the other pages.
    DataLinkProperties p = Properties();
    if (lastPage_ == kAllPage && page != kAllPage) {
        // Leaving the list: what was edited there goes back to the pages.
        Show(p);
    } else if (page == kAllPage) {
        auto rows = p.All();
        AllProperties->SetRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            AllProperties->SetCell(0, r, rows[r].first);
            AllProperties->SetCell(1, r, rows[r].second);
        }
    }
    lastPage_ = page;
}

void TDataLinkDialog::TestConnectionClick()
{
    platform::TADOConnection connection;
    connection.ConnectionString = Properties().Compose();
    try {
        connection.SetConnected(true);
        platform::Application.MessageBox("测试连接成功。", "数据链接",
                                         platform::MB_OK | platform::MB_ICONINFORMATION);
    } catch (const platform::Exception& e) {
        // The same Chinese line as the window's own login gives.
        bool windowsLogin = Properties().Compose().find("Integrated Security") != std::string::npos;
        platform::Application.MessageBox("测试连接失败。\n" +
                                             TDBData::LoginFailureText(e, windowsLogin),
                                         "数据链接", platform::MB_OK | platform::MB_ICONERROR);
    }
}

void TDataLinkDialog::RefreshCatalogsClick()
{
    DataLinkProperties p = Properties();
    p.InitialCatalog = "master";
    platform::TADOConnection connection;
    connection.ConnectionString = p.Compose();
    try {
        connection.SetConnected(true);
        platform::TADOQuery query(&connection);
        // The database list as the window asks for it: the catalogue's own
        // spelling, which a case-sensitive server also knows.
        query.SetSQL(TDBData::DatabaseListStatement());
        query.Open();
        std::string current = InitialCatalog->Text();
        InitialCatalog->Clear();
        for (; !query.Eof(); query.Next())
            InitialCatalog->Add(query.FieldText(0));
        InitialCatalog->SetText(current);
    } catch (const platform::Exception& e) {
        platform::Application.MessageBox(e.Message, "数据链接",
                                         platform::MB_OK | platform::MB_ICONERROR);
    }
}

std::string RunDataLinkDialog(const std::string& initial, platform::TForm* owner)
{
    TDataLinkDialog dialog(initial, owner);
    if (!dialog.ShowModal())
        return std::string();
    return dialog.Properties().ComposeKept();
}
