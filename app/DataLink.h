#ifndef DataLinkH
#define DataLinkH

// The connection-properties dialog: a property sheet that edits an OLE DB
// connection string for SQL Server, seeded with the current text.

#include <string>
#include <utility>
#include <vector>

#include "platform/Forms.h"

// The properties the dialog edits, read from and composed into a string.
struct DataLinkProperties {
    std::string Provider = "SQLOLEDB.1";
    std::string DataSource;
    bool IntegratedSecurity = true;
    std::string UserID;
    std::string Password;
    bool AllowSavingPassword = false;
    std::string InitialCatalog;
    int ConnectTimeout = 15;
    // Keys the other pages do not show, in the order met.
    std::vector<std::pair<std::string, std::string>> Others;

    // From a string; false (and the defaults) when it cannot be read.
    bool Read(const std::string& connectionString);
    // The string, password included; values quoted by the OLE DB rules.
    std::string Compose() const;
    // The string as it may be shown and kept: without the password unless
    // saving it is allowed (Persist Security Info=True).
    std::string ComposeKept() const;
    // Every key and value, as the 全部 page lists them.
    std::vector<std::pair<std::string, std::string>> All() const;
    void SetAll(const std::vector<std::pair<std::string, std::string>>& all);
};

class TDataLinkDialog : public platform::TForm {
public:
    TDataLinkDialog(const std::string& initial, platform::TForm* owner);

    DataLinkProperties Properties() const;
    void TestConnectionClick();
    void RefreshCatalogsClick();

    platform::TPageControl* Sheet;
    platform::TListBox* Providers;
    platform::TEdit* ServerName;
    platform::TRadioButton* WindowsLogin;
    platform::TRadioButton* SqlLogin;
    platform::TEdit* UserName;
    platform::TEdit* Password;
    platform::TCheckBox* AllowSavingPassword;
    platform::TComboBox* InitialCatalog;
    platform::TButton* RefreshCatalogs;
    platform::TButton* TestConnection;
    platform::TSpinEdit* ConnectTimeout;
    platform::TStringGrid* AllProperties;
    platform::TButton* OkButton;
    platform::TButton* CancelButton;

    static constexpr int kAllPage = 3;

private:
    void Show(const DataLinkProperties& p);
    void UpdateLoginFields();
    void PageChanged(int page);
    int lastPage_ = 0;
    std::vector<std::pair<std::string, std::string>> others_;
    std::string provider_ = "SQLOLEDB.1";
};

// Shows the dialog: on OK the string as it may be kept (ComposeKept), on
// cancel "".
std::string RunDataLinkDialog(const std::string& initial, platform::TForm* owner);

#endif
