#include "DataLink.h"

#include "platform/Application.h"
#include "platform/DbClient.h"
#include "platform/Forms.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>

using platform::FromQt;
using platform::Gbk;
using platform::ToQt;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

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

std::string DataLinkProperties::Compose() const
{
    std::string out;
    for (const auto& [key, value] : All())
        out += (out.empty() ? "" : ";") + key + "=" + platform::QuoteOleDbValue(value);
    return out;
}

TDataLinkDialog::TDataLinkDialog(const std::string& initial, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(U("数据链接属性"));
    auto* layout = new QVBoxLayout(this);
    Sheet = new QTabWidget(this);
    layout->addWidget(Sheet);

    auto* providerPage = new QWidget;
    auto* providerLayout = new QVBoxLayout(providerPage);
    providerLayout->addWidget(new QLabel(U("选择您希望连接的数据：")));
    Providers = new QListWidget;
    Providers->addItem(U("Microsoft OLE DB Provider for SQL Server (SQLOLEDB.1)"));
    Providers->setCurrentRow(0);
    providerLayout->addWidget(Providers);
    Sheet->addTab(providerPage, U("提供程序"));

    auto* connectionPage = new QWidget;
    auto* form = new QFormLayout(connectionPage);
    ServerName = new QLineEdit;
    form->addRow(U("1. 服务器名称："), ServerName);
    WindowsLogin = new QRadioButton(U("使用 Windows NT 集成安全设置"));
    SqlLogin = new QRadioButton(U("使用指定的用户名称和密码"));
    form->addRow(U("2. 登录服务器："), WindowsLogin);
    form->addRow(QString(), SqlLogin);
    UserName = new QLineEdit;
    Password = new QLineEdit;
    Password->setEchoMode(QLineEdit::Password);
    AllowSavingPassword = new QCheckBox(U("允许保存密码"));
    form->addRow(U("用户名称："), UserName);
    form->addRow(U("密码："), Password);
    form->addRow(QString(), AllowSavingPassword);
    InitialCatalog = new QComboBox;
    InitialCatalog->setEditable(true);
    RefreshCatalogs = new QPushButton(U("刷新"));
    form->addRow(U("3. 在服务器上选择数据库："), InitialCatalog);
    form->addRow(QString(), RefreshCatalogs);
    TestConnection = new QPushButton(U("测试连接"));
    form->addRow(QString(), TestConnection);
    Sheet->addTab(connectionPage, U("连接"));

    auto* advancedPage = new QWidget;
    auto* advanced = new QFormLayout(advancedPage);
    ConnectTimeout = new QSpinBox;
    ConnectTimeout->setRange(0, 3600);
    advanced->addRow(U("连接超时（秒）："), ConnectTimeout);
    Sheet->addTab(advancedPage, U("高级"));

    AllProperties = new QTableWidget(0, 2);
    AllProperties->setHorizontalHeaderLabels({U("名称"), U("值")});
    AllProperties->horizontalHeader()->setStretchLastSection(true);
    Sheet->addTab(AllProperties, U("全部"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(WindowsLogin, &QRadioButton::toggled, this, [this] { UpdateLoginFields(); });
    connect(TestConnection, &QPushButton::clicked, this, [this] { TestConnectionClick(); });
    connect(RefreshCatalogs, &QPushButton::clicked, this, [this] { RefreshCatalogsClick(); });
    connect(Sheet, &QTabWidget::currentChanged, this, [this](int page) { PageChanged(page); });

    DataLinkProperties seed;
    if (!initial.empty())
        seed.Read(initial);  // an unusable string leaves the defaults
    Show(seed);
}

void TDataLinkDialog::Show(const DataLinkProperties& p)
{
    ServerName->setText(ToQt(p.DataSource));
    WindowsLogin->setChecked(p.IntegratedSecurity);
    SqlLogin->setChecked(!p.IntegratedSecurity);
    UserName->setText(ToQt(p.UserID));
    Password->setText(ToQt(p.Password));
    AllowSavingPassword->setChecked(p.AllowSavingPassword);
    InitialCatalog->setEditText(ToQt(p.InitialCatalog));
    ConnectTimeout->setValue(p.ConnectTimeout);
    others_ = p.Others;
    provider_ = p.Provider;
    UpdateLoginFields();
}

void TDataLinkDialog::UpdateLoginFields()
{
    bool sql = !WindowsLogin->isChecked();
    UserName->setEnabled(sql);
    Password->setEnabled(sql);
    AllowSavingPassword->setEnabled(sql);
}

DataLinkProperties TDataLinkDialog::Properties() const
{
    DataLinkProperties p;
    if (lastPage_ == Sheet->indexOf(AllProperties)) {
        std::vector<std::pair<std::string, std::string>> all;
        for (int r = 0; r < AllProperties->rowCount(); ++r) {
            auto text = [&](int c) {
                QTableWidgetItem* item = AllProperties->item(r, c);
                return item ? FromQt(item->text()) : std::string();
            };
            if (!text(0).empty())
                all.emplace_back(text(0), text(1));
        }
        p.SetAll(all);
        return p;
    }
    p.DataSource = FromQt(ServerName->text());
    p.IntegratedSecurity = WindowsLogin->isChecked();
    p.UserID = FromQt(UserName->text());
    p.Password = FromQt(Password->text());
    p.AllowSavingPassword = AllowSavingPassword->isChecked();
    p.InitialCatalog = FromQt(InitialCatalog->currentText());
    p.ConnectTimeout = ConnectTimeout->value();
    p.Others = others_;
    p.Provider = provider_;
    return p;
}

void TDataLinkDialog::PageChanged(int page)
{
    int all = Sheet->indexOf(AllProperties);
    // Properties() reads the page last shown: the list, or the other pages.
    DataLinkProperties p = Properties();
    if (lastPage_ == all && page != all) {
        // Leaving the list: what was edited there goes back to the pages.
        Show(p);
    } else if (page == all) {
        auto rows = p.All();
        AllProperties->setRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            AllProperties->setItem(r, 0, new QTableWidgetItem(ToQt(rows[r].first)));
            AllProperties->setItem(r, 1, new QTableWidgetItem(ToQt(rows[r].second)));
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
        platform::Application.MessageBox(Gbk("测试连接成功。"), Gbk("数据链接"),
                                         platform::MB_OK | platform::MB_ICONINFORMATION);
    } catch (const platform::Exception& e) {
        platform::Application.MessageBox(Gbk("测试连接失败。") + "\n" + e.Message, Gbk("数据链接"),
                                         platform::MB_OK | platform::MB_ICONERROR);
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
        query.SetSQL("SELECT Name FROM [Master]..[SysDatabases] ORDER BY Name");
        query.Open();
        QString current = InitialCatalog->currentText();
        InitialCatalog->clear();
        for (; !query.Eof(); query.Next())
            InitialCatalog->addItem(ToQt(query.FieldText(0)));
        InitialCatalog->setEditText(current);
    } catch (const platform::Exception& e) {
        platform::Application.MessageBox(e.Message, Gbk("数据链接"),
                                         platform::MB_OK | platform::MB_ICONERROR);
    }
}

std::string RunDataLinkDialog(const std::string& initial, QWidget* parent)
{
    TDataLinkDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return initial;
    return dialog.Properties().Compose();
}
