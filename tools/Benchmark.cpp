// Benchmarks of the window on a large schema served by the stand-in:
//   pellam_benchmark fill HOST PASSWORD DATABASE
//   pellam_benchmark generate HOST PASSWORD DATABASE
// Each prints its figures and, last, the ratio to a bare loop that sends
// the same statements (and, for generate, writes the same bytes).

#include "app/Main.h"
#include "catalog/Dbmodule.h"
#include "platform/Files.h"
#include "platform/Forms.h"

#include <QDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

class Answer : public platform::MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string&, int flags) override
    {
        if ((flags & 0x0F) != platform::MB_YESNO)
            std::fprintf(stderr, "message: %s\n", text.c_str());
        return platform::IDNO;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s fill|generate HOST PASSWORD DATABASE\n", argv[0]);
        return 2;
    }
    std::string mode = argv[1], host = argv[2], password = argv[3], database = argv[4];
    platform::TFormsApplication app(argc, argv);
    Answer answers;
    platform::Application.SetMessageBoxService(&answers);
    MainForm = new TMainForm;
    DBData = new TDBData;
    MainForm->show();
    std::string out = QDir::tempPath().toStdString() + "/pellam-bench";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    MainForm->ProgramFolder = out;
    MainForm->OpenFolder = [](const std::string&) { return true; };
    MainForm->RadioButton2->click();
    MainForm->LabeledEdit1->setText(QString::fromStdString(host));
    MainForm->LabeledEdit2->setText(QString::fromStdString(password));
    MainForm->BitBtn2Click();
    int index = MainForm->ComboBox1->findText(QString::fromStdString(database));
    MainForm->ComboBox1->setCurrentIndex(index);

    auto start = std::chrono::steady_clock::now();
    MainForm->ComboBox1Select();
    double fill = Seconds(start);
    std::size_t tables = MainForm->TableNames.size(), views = MainForm->ViewNames.size();

    if (mode == "fill") {
        // The floor: the same statements from a bare loop.
        TDBData bare;
        start = std::chrono::steady_clock::now();
        bare.Connect(true, host, password, database);
        NameList t, v;
        bare.GetTableList(database, t);
        bare.GetViewList(database, v);
        for (const std::string& n : t) {
            ColumnList c;
            bare.GetColumnList(n, c);
        }
        for (const std::string& n : v) {
            ColumnList c;
            bare.GetColumnList(n, c);
        }
        double floor = Seconds(start);
        std::printf("tables %zu, views %zu\n", tables, views);
        std::printf("statements sent: %zu (2 name lists, one column statement per table and view)\n",
                    2 + tables + views);
        std::printf("selection to filled trees: %.3f s\n", fill);
        std::printf("bare loop, same statements: %.3f s\n", floor);
        std::printf("fill/floor = %.2f\n", fill / floor);
        return 0;
    }

    start = std::chrono::steady_clock::now();
    MainForm->BitBtn1Click();
    double generate = Seconds(start);
    std::size_t files = 0, bytes = 0;
    std::vector<std::pair<std::string, std::string>> written;
    for (const auto& e : std::filesystem::recursive_directory_iterator(out + "/Output"))
        if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            written.emplace_back(e.path().filename().string(), s.str());
            ++files;
            bytes += written.back().second.size();
        }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);

    // The floor: the identity statements from a bare loop, and the same
    // bytes written by a plain loop.
    TDBData bare;
    bare.Connect(true, host, password, database);
    std::string plain = out + "/plain";
    std::filesystem::create_directories(plain);
    start = std::chrono::steady_clock::now();
    for (const std::string& n : MainForm->TableNames) {
        IdentityNames ids;
        bare.GetIdentityColumns(n, ids);
    }
    for (const auto& [name, text] : written)
        platform::WriteWholeFile(plain + "/" + name, text);
    double floor = Seconds(start);

    std::printf("tables %zu, views %zu\n", tables, views);
    std::printf("generation: %.3f s\n", generate);
    std::printf("identity statements sent: %zu (one per table)\n", tables);
    std::printf("files written: %zu (%zu bytes)\n", files, bytes);
    std::printf("peak memory: %ld KiB\n", usage.ru_maxrss);
    std::printf("floor (bare identity loop + plain writes): %.3f s\n", floor);
    std::printf("generate/floor = %.2f\n", generate / floor);
    delete DBData;
    delete MainForm;
    return 0;
}
